// A display on a POSIX system as the driver sees it: a framebuffer display
// whose events come over one descriptor (the connection to its server),
// read only when the driver's poll says they are there.
#pragma once

#include <poll.h>

#include <vector>

#include "core/run/framebuffer_display.h"

namespace coderain {

class PolledDisplay : public FramebufferDisplay {
 public:
  // What the driver waits on.
  struct WaitOn {
    int fd = -1;            // the connection
    short events = POLLIN;  // with POLLOUT where what is queued waits for room
    bool ready = false;     // events were read already: no sleeping
    bool unseen = false;    // nobody sees a scene: sleep until the display speaks
  };
  // Sends what is queued, then says what to wait on.
  virtual WaitOn PrepareWait() = 0;
  // After the wait, with the descriptor's `revents` (0 where the wait
  // ended for another reason): reads what came, and appends what it means
  // to *events. Reads nothing that the poll did not say is there.
  virtual void Dispatch(short revents, std::vector<DisplayEvent>* events) = 0;

 protected:
  using FramebufferDisplay::FramebufferDisplay;
};

}  // namespace coderain
