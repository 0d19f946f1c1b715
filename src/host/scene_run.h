// The program's one run, the same on every platform once its display is
// open: the faces found, the scenes on the steady clock with a seed from
// it, and the loop, which the platform's driver then steps until the run
// ends (host/posix/poll_driver.h, host/win32/message_driver.h, the page's
// frame callback). Pictures, videos and the page's still are the same run
// on a virtual clock (VirtualRun).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/app/stage.h"
#include "core/base/clock.h"
#include "core/gfx/font.h"
#include "core/run/launch_request.h"
#include "core/run/scene_display.h"
#include "core/run/scene_loop.h"
#include "core/run/sink_display.h"
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
  // Draws with `faces` rather than the ones the system has (the
  // renderer's --font); before Start.
  void UseFaces(const FontFaces& faces) { faces_ = faces; }
  // The name a line on stderr starts with; before Start.
  void NameProgram(const char* name) { program_ = name; }

  // Finds the faces, starts the scenes and shows the display. A start-up
  // failure (no face, no directory, a missing file) ends the run with
  // status 1 and its line, before anything is shown.
  LoopStatus Start();
  LoopStatus Step(std::span<const DisplayEvent> events) { return loop_->Step(clock_, events); }
  const Clock& Time() const { return clock_; }
  // The scene time of the picture on `screen` (SceneLoop::ShownAt).
  std::int64_t ShownAt(int screen) const { return loop_ ? loop_->ShownAt(screen) : -1; }
  // The scene on `screen`, once started; else null.
  const Form1* Scene(int screen) const { return stage_ ? stage_->Scene(screen) : nullptr; }
  // Prints the statistics, where asked for, and hands the end on.
  const LoopEnd& Finish(const LoopEnd& end);

 private:
  SceneDisplay& display_;
  LaunchRequest::Mode mode_;
  FrameRate rate_;
  std::string dataDir_;  // the user's folder, or empty
  bool stats_;
  std::uint64_t seed_;
  std::optional<FontFaces> faces_;
  const char* program_ = "coderain";
  SteadyClock steady_;
  const Clock& clock_;
  RunStats runStats_;
  std::unique_ptr<Stage> stage_;
  std::unique_ptr<SceneLoop> loop_;
};

// The run on a clock that moves only as it is told, from 0: the scenes of
// the screens of `shown` draw into its frames as the loop steps them, but
// the loop presents into a sink, and what is shown, and when, is the
// caller's (`shown`'s PresentAll where a picture is due). Nothing comes in:
// no input, no close request. The scene at a time is the same however the
// clock was moved there.
class VirtualRun {
 public:
  // The three text files from `dataDir`, else the program's folder; the
  // faces where given, else the system's. The loop steps at the frames
  // `rate` allows, which change when the scene is presented, never what it
  // is.
  VirtualRun(SceneDisplay* shown, const std::string& dataDir, std::uint64_t seed,
             const std::optional<FontFaces>& faces = std::nullopt, FrameRate rate = {});

  // Starts the scenes at 0; false and *error when one cannot start.
  bool Start(std::string* error);
  // Moves the clock to `t` (not before where it is), stepping the loop at
  // each time it asks to run by then, as a driver waking it on time does.
  void RunTo(std::int64_t t);
  const Form1& Scene(int screen) const { return *run_.Scene(screen); }

 private:
  SinkDisplay sink_;
  VirtualClock clock_;
  SceneRun run_;
  LoopStatus status_;
};

}  // namespace coderain
