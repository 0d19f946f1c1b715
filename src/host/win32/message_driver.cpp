#include "host/win32/message_driver.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace coderain {

namespace {

// Where this SDK or system lacks it.
constexpr DWORD kHighResolutionTimer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

}  // namespace

LoopEnd RunMessages(SceneRun* run, MessageDisplay* display) {
  // Where the high-resolution kind is unknown (before Windows 10 1803),
  // an ordinary timer at the system's granularity.
  HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
  if (!timer) timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  if (!timer) return {1, 0, "cannot create the window: out of system resources"};
  LoopStatus status = run->Start();
  std::vector<DisplayEvent> events;
  while (status.running) {
    const std::int64_t wait = status.WaitMs(run->Time().Now());
    MSG m;
    if (!display->Ready() && wait > 0 && !PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE)) {
      LARGE_INTEGER due;
      due.QuadPart = -static_cast<LONGLONG>(wait) * 10000;  // relative, in 100 ns
      SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
      MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    events.clear();
    display->Dispatch(&events);
    status = run->Step(events);
  }
  CloseHandle(timer);
  return run->Finish(status.end);
}

}  // namespace coderain
