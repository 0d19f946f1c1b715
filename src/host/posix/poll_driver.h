// The driver of a run on a POSIX system: one poll over the display's
// connection, the close signals' pipe and the power watch's bus, woken at
// the time the loop asks for, when input comes, when a signal asks to close
// or to start anew, or when the machine goes on or off battery; nothing
// else.
#pragma once

#include "core/run/scene_loop.h"
#include "host/posix/close_signals.h"
#include "host/posix/polled_display.h"
#include "host/posix/power_watch.h"
#include "host/scene_run.h"

namespace coderain {

// Starts `run` on `display` and steps it until it ends; returns how.
LoopEnd RunPolled(SceneRun* run, PolledDisplay* display, const CloseSignals& signals, PowerWatch* power);

}  // namespace coderain
