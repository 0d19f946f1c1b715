// The program's loop, the same on every platform, as a step: the host's
// driver waits (on POSIX one poll, on Windows the message queue and a
// timer; a web page's frame callback) and calls Step with the time and the
// events that arrived; the step runs what is due and says when it wants to
// run again, or how the program ends. It never waits itself.
//
// The screen changes only when a frame is presented, at most once a
// display refresh. So the loop asks to run at frame boundaries and runs
// every tick due by then, each in its turn and at its own due time as the
// scene sees it: no rhythm changes, and the program wakes once a frame
// rather than once a tick. A present is sent only once the display has
// taken the last one; until then damage gathers. Every screen's scene has
// its own ticks, frames and presents. A display that says when the next
// present may go (a compositor's frame callback) is the clock instead:
// the loop runs when it says so, and meanwhile sets no timer of its own
// but one before a tick would run later than a batch allows.
//
// A present is made at most as often as the frame rate allows (the
// user's cap, lower on battery) and the display refreshes, the scene's
// ticks unchanged: the picture shown at a time is the scene at that time.
//
// Where the mode's row lets it, a screen nobody can see (the display says
// so) rests: no tick runs and nothing is presented, and its scene's clock
// stands still, so that when it is seen again the scene goes on where it
// stopped, with one frame's work and no burst of the ticks it missed.
//
// What ends the run is the mode's row (run_mode.h): counted keys and
// clicks where input counts; a close request, by the system or a signal
// (the scenes close; the process ends by the signal where the row says);
// the window's end (quietly, or one line and status 1); in every mode a
// display that cannot go on (its line, status 1).
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <span>
#include <string>

#include "core/app/stage.h"
#include "core/base/clock.h"
#include "core/run/run_mode.h"
#include "core/run/scene_display.h"

namespace coderain {

// How the program ends.
struct LoopEnd {
  int status = 0;       // the exit status
  int signal = 0;       // when not 0: end by this signal, as its default action does
  std::string message;  // one line for stderr when something went wrong; else empty
};

// No time of its own to run again: only when an event comes.
inline constexpr std::int64_t kNoWake = std::numeric_limits<std::int64_t>::max();

// What a step says.
struct LoopStatus {
  bool running = true;
  LoopEnd end;              // how the program ends, once it is not running
  std::int64_t wakeAt = 0;  // when to step again at the latest, on the loop's clock; or kNoWake

  // How long a driver sleeps at most, the clock at `now`: until wakeAt,
  // and never longer than a second, so that a loop that asks for nothing
  // still looks.
  std::int64_t WaitMs(std::int64_t now) const {
    constexpr std::int64_t kLongestWaitMs = 1000;
    return wakeAt == kNoWake ? kLongestWaitMs : std::clamp<std::int64_t>(wakeAt - now, 0, kLongestWaitMs);
  }
};

// Hears of every present (the statistics of a real run).
class PresentObserver {
 public:
  virtual ~PresentObserver() = default;
  // Screen `screen` showed `damage`; `burstDone`: the start-up burst is in
  // its picture.
  virtual void Presented(int screen, const DamageList& damage, bool burstDone, std::int64_t nowMs) = 0;
};

class SceneLoop {
 public:
  SceneLoop(SceneDisplay* display, Stage* stage, const RunMode& mode, PresentObserver* observer = nullptr,
            FrameRate rate = {});

  // Starts a scene on every screen of the display at the clock's time,
  // shows the display and runs the first frame. A scene that cannot start
  // ends the run with its line and status 1 before anything is shown.
  LoopStatus Start(const Clock& clock);
  // Hands `events` to the scenes, runs every tick due by now and presents
  // what they drew where a frame is due. The clock is read again after
  // each tick: a tick that runs long delays the ones after it.
  LoopStatus Step(const Clock& clock, std::span<const DisplayEvent> events);
  // The time in the scene on `screen` (ms since it started, less any rest)
  // of its last present, the picture it shows; -1 before the first.
  std::int64_t ShownAt(int screen) const;

 private:
  // How a screen's scene is paced.
  struct Pace {
    std::int64_t fitMs = OutputFit{}.FrameMs();  // the time between presents the fit asks for
    std::int64_t frameMs = fitMs;                // and the rate allows
    std::int64_t lastAt = -1;                    // the scene's time of the last present, or -1
    std::int64_t startAt = 0;                    // the scene's time it started at
    // The frame of the last present, in frames of frameMs.
    std::int64_t LastFrame() const { return lastAt < 0 ? -1 : lastAt / frameMs; }
    bool busy = false;               // the display refused the last try
    bool awaited = false;            // the display was to say when the next present may go
    std::int64_t slowestMs = fitMs;  // the longest frame on mains or battery: how late a tick may run
    std::int64_t lostMs = 0;         // the time it rested: the scene's clock is behind by it
    std::int64_t unseenSince = -1;   // when it began to rest; -1 while it is seen
  };
  // The time between presents for a fit of `fitMs`, at the rate allowed on
  // battery or on mains.
  std::int64_t FrameMsFor(std::int64_t fitMs, bool onBattery) const;
  void SetSeen(int screen, bool seen, std::int64_t now);
  bool StartScene(int screen, std::int64_t now);
  // Runs the screen's ticks due by now and presents them where due.
  // Returns when it must run again.
  std::int64_t RunFrame(int screen, const Clock& clock);
  // Whether a present is due at scene time `t` on the screen.
  bool PresentDue(int screen, const Pace& pace, std::int64_t t) const;
  // When to run again after the screen's frame, in the scene's time.
  std::int64_t NextWake(int screen, const Pace& pace, Form1& form) const;
  LoopStatus RunFrames(const Clock& clock);
  void Dispatch(const DisplayEvent& event, std::int64_t now);
  void EndWith(int status, std::string message);

  SceneDisplay& display_;
  Stage& stage_;
  const RunMode& mode_;
  PresentObserver* observer_;
  FrameRate rate_;
  bool onBattery_ = false;
  std::map<int, Pace> paces_;
  bool done_ = false;  // the program ends, however the scenes stand
  LoopEnd end_;
};

}  // namespace coderain
