// The program's one run, the same on every platform once its display is
// open: the faces found, the scenes on the steady clock with a seed from
// it, and the loop, which the platform's driver then steps until the run
// ends (host/posix/poll_driver.h, host/win32/message_driver.h, the page's
// frame callback).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/app/stage.h"
#include "core/run/launch_request.h"
#include "core/run/scene_display.h"
#include "core/run/scene_loop.h"
#include "host/run_stats.h"
#include "host/steady_clock.h"

namespace coderain {

class SceneRun {
 public:
  // The scenes of `request` on `display`, reading the three text files of
  // the request's folder (each one not there the program's own, which a
  // line on stderr names), else of the program's own. With `stats`, the
  // timers' and presents' statistics go to stderr at the end (the
  // statistics build). A `seed` makes the run's numbers the same every
  // time; without one they come from the clock. The run's time is the
  // steady clock's, or `clock`'s where the host tells the time itself (a
  // page's frame callback is handed it); the clock must outlive the run.
  SceneRun(SceneDisplay* display, const LaunchRequest& request, bool stats,
           std::optional<std::uint64_t> seed = std::nullopt, const Clock* clock = nullptr);

  // Finds the faces, starts the scenes and shows the display. A start-up
  // failure (no face, no directory, a missing file) ends the run with
  // status 1 and its line, before anything is shown.
  LoopStatus Start();
  LoopStatus Step(std::span<const DisplayEvent> events) { return loop_->Step(clock_, events); }
  const Clock& Time() const { return clock_; }
  // Prints the statistics, where asked for, and hands the end on.
  const LoopEnd& Finish(const LoopEnd& end);

 private:
  SceneDisplay& display_;
  LaunchRequest::Mode mode_;
  std::string dataDir_;  // the user's folder, or empty
  bool stats_;
  std::uint64_t seed_;
  SteadyClock steady_;
  const Clock& clock_;
  RunStats runStats_;
  std::unique_ptr<Stage> stage_;
  std::unique_ptr<SceneLoop> loop_;
};

}  // namespace coderain
