// The program's one run, the same on every platform once its display is
// open: the faces found, a stage with a seed from the clock, and the loop
// until the mode's end.
#pragma once

#include <string>

#include "core/run/launch_request.h"
#include "core/run/scene_display.h"
#include "core/run/scene_loop.h"

namespace coderain {

// Runs the scene on `display` with the source files of `programDir`. A
// start-up failure (no face, no directory) is an end with status 1 and its
// line. With `stats`, the timers' and presents' statistics go to stderr at
// the end (the statistics build).
LoopEnd RunScene(SceneDisplay* display, LaunchRequest::Mode mode, const std::string& programDir, bool stats);

}  // namespace coderain
