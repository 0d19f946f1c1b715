// The program's one loop: it runs the scene's ticks on a clock, presents
// what they drew once a frame, hands the display's events to the stage,
// and says how the program ends, the same on every platform.
//
// The screen changes only when a frame is presented, at most once a
// display refresh. So the loop wakes at frame boundaries and runs every
// tick due by then, each in its turn and at its own due time as the scene
// sees it: no rhythm changes, and the program wakes once a frame rather
// than once a tick. Input and close requests wake it at once. A present is
// sent only once the display has taken the last one; until then damage
// gathers.
//
// How each mode ends:
//   own window   a counted key or click (status 0); a close request, by the
//                system or a signal (the scene closes, status 0); the window
//                destroyed by another program (one line, status 1)
//   lent window  only a close request, then by that signal where one asked
//   or preview   (else status 0); the window's end, quietly (status 0);
//                keys and clicks are the lender's and change nothing
//   every mode   a display that cannot go on (its line, status 1)
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/app/stage.h"
#include "core/run/launch_request.h"
#include "core/run/scene_display.h"

namespace coderain {

class RunStats;

// Whole milliseconds on a clock of the loop's choosing.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t Now() const = 0;
};

// The steady clock, from when it was made.
class SteadyClock : public Clock {
 public:
  std::int64_t Now() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// How the program ends.
struct LoopEnd {
  int status = 0;       // the exit status
  int signal = 0;       // when not 0: end by this signal, as its default action does
  std::string message;  // one line for stderr when something went wrong; else empty
};

class SceneLoop {
 public:
  // `stats`, when given, hears of every present (the statistics build).
  SceneLoop(SceneDisplay* display, Stage* stage, const Clock* clock, LaunchRequest::Mode mode,
            RunStats* stats = nullptr);

  // Starts the scene in the display's frame, shows the display and runs
  // until the program ends. A scene that cannot start ends it with its
  // line and status 1 before anything is shown.
  LoopEnd Run();

 private:
  // Runs the ticks due by now and presents what they drew when a frame is
  // due and the display has taken the last present. Returns the longest
  // wait, in ms, before the loop must look again.
  int RunFrame();
  void Dispatch(const DisplayEvent& event);
  // Takes the display's fit: the frame's length and the lateness allowed.
  void TakeFit();
  void EndWith(int status, std::string message);

  SceneDisplay& display_;
  Stage& stage_;
  const Clock& clock_;
  const bool lent_;
  RunStats* stats_;
  std::int64_t frameMs_ = 17;
  std::int64_t lastPresent_ = 0;
  bool displayBusy_ = false;
  bool done_ = false;  // the program ends, however the scene stands
  LoopEnd end_;
  std::vector<DisplayEvent> events_;
};

}  // namespace coderain
