// Whether the machine runs on battery, as the system says: asked at start
// and followed while the program runs, over one descriptor that the driver
// polls beside the display's. Nothing waits for an answer and nothing wakes
// the program but an answer or a change.
//
// On Linux the system's word is UPower's OnBattery on the system bus. No
// bus, no UPower, a bus that goes away, or a build without a bus library:
// the watch says nothing, ever, and the program runs as on mains.
#pragma once

#include <poll.h>

#include <memory>

namespace coderain {

class PowerWatch {
 public:
  // Connects and asks; the answers come through Dispatch.
  PowerWatch();
  ~PowerWatch();
  PowerWatch(const PowerWatch&) = delete;
  PowerWatch& operator=(const PowerWatch&) = delete;

  // What to poll (a descriptor of -1 where there is nothing to hear), and
  // *timeoutMs (-1: none) lowered to when the watch must run again.
  pollfd PrepareWait(int* timeoutMs);
  // After the poll, with the descriptor's `revents`: reads what came. True,
  // with *onBattery, where the machine went on battery or back on mains.
  bool Dispatch(short revents, bool* onBattery);

 private:
  struct Bus;
  std::unique_ptr<Bus> bus_;
};

}  // namespace coderain
