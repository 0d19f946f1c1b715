// Opens the display the launch request asks for, among the displays this
// build has (app/display_choice.h says which is tried when).
#pragma once

#include <memory>
#include <string>

#include "core/run/launch_request.h"
#include "core/run/scene_display.h"
#include "host/posix/close_signals.h"

namespace coderain {

// Returns null and sets *error, one line, when none opens.
std::unique_ptr<SceneDisplay> OpenDisplay(const LaunchRequest& request, const CloseSignals* signals,
                                          std::string* error);

}  // namespace coderain
