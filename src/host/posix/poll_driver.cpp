#include "host/posix/poll_driver.h"

#include <poll.h>

#include <cstdint>
#include <vector>

namespace coderain {

LoopEnd RunPolled(SceneRun* run, PolledDisplay* display, const CloseSignals& signals) {
  LoopStatus status = run->Start();
  std::vector<DisplayEvent> events;
  bool closeSent = false;
  while (status.running) {
    const PolledDisplay::WaitOn on = display->PrepareWait();
    int timeout = -1;
    if (on.ready) {
      timeout = 0;
    } else if (!on.unseen && status.wakeAt != kNoWake) {
      timeout = static_cast<int>(status.WaitMs(run->Time().Now()));
    }
    pollfd p[2] = {{on.fd, on.events, 0}, {signals.Fd(), POLLIN, 0}};
    ::poll(p, 2, timeout);
    events.clear();
    // A signal asks once; the pipe stays readable, and the run ends on it.
    if (signals.Requested() != 0 && !closeSent) {
      closeSent = true;
      DisplayEvent e{DisplayEvent::Kind::CloseRequested};
      e.signal = signals.Requested();
      events.push_back(e);
    }
    display->Dispatch(p[0].revents, &events);
    status = run->Step(events);
  }
  return run->Finish(status.end);
}

}  // namespace coderain
