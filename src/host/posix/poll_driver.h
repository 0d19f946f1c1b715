// The driver of a run on a POSIX system: one poll over the display's
// connection and the close signals' pipe, woken at the time the loop asks
// for, when input comes or when a signal asks to close or to start anew;
// nothing else.
#pragma once

#include "core/run/scene_loop.h"
#include "host/posix/close_signals.h"
#include "host/posix/polled_display.h"
#include "host/scene_run.h"

namespace coderain {

// Starts `run` on `display` and steps it until it ends; returns how.
LoopEnd RunPolled(SceneRun* run, PolledDisplay* display, const CloseSignals& signals);

}  // namespace coderain
