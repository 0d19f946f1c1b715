// The driver of a run on Windows: the thread sleeps on a high-resolution
// waitable timer together with its message queue, so that ticks keep their
// rates on a system whose own timers run at 15.6 ms, and wakes at the time
// the loop asks for or when a message comes.
#pragma once

#include "core/run/scene_loop.h"
#include "host/scene_run.h"
#include "host/win32/message_display.h"

namespace coderain {

// Starts `run` on `display` and steps it until it ends; returns how.
LoopEnd RunMessages(SceneRun* run, MessageDisplay* display);

}  // namespace coderain
