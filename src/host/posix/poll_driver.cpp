#include "host/posix/poll_driver.h"

#include <poll.h>

#include <cstdint>
#include <vector>

namespace coderain {

LoopEnd RunPolled(SceneRun* run, PolledDisplay* display, const CloseSignals& signals, PowerWatch* power) {
  LoopStatus status = run->Start();
  std::vector<DisplayEvent> events;
  bool closeSent = false;
  unsigned resetsSeen = signals.Resets();
  while (status.running) {
    const PolledDisplay::WaitOn on = display->PrepareWait();
    int timeout = -1;
    if (on.ready) {
      timeout = 0;
    } else if (!on.unseen && status.wakeAt != kNoWake) {
      timeout = static_cast<int>(status.WaitMs(run->Time().Now()));
    }
    pollfd p[3] = {{on.fd, on.events, 0}, {signals.Fd(), POLLIN, 0}, power->PrepareWait(&timeout)};
    ::poll(p, 3, timeout);
    events.clear();
    // Emptied before the flags are read: a signal sets its flag before it
    // writes, so none is missed.
    if (p[1].revents & POLLIN) signals.Drain();
    if (signals.Requested() != 0 && !closeSent) {
      closeSent = true;
      DisplayEvent e{DisplayEvent::Kind::CloseRequested};
      e.signal = signals.Requested();
      events.push_back(e);
    }
    // A reset starts every scene anew, as a new size does.
    if (const unsigned resets = signals.Resets(); resets != resetsSeen) {
      resetsSeen = resets;
      for (int screen : display->Screens()) events.emplace_back(DisplayEvent::Kind::Resized, screen);
    }
    if (bool onBattery = false; power->Dispatch(p[2].revents, &onBattery)) {
      DisplayEvent e{DisplayEvent::Kind::PowerChanged};
      e.onBattery = onBattery;
      events.push_back(e);
    }
    display->Dispatch(p[0].revents, &events);
    status = run->Step(events);
  }
  return run->Finish(status.end);
}

}  // namespace coderain
