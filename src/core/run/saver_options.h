// The command line Windows gives a screen saver:
//
//   /s          full screen
//   /p HWND     the preview in the settings dialog's little monitor
//               (also /p:HWND)
//   /c[:HWND]   the settings, owned by HWND where given; also no argument
//   /a          the old password setting: nothing to do
//
// Any case, '/' or '-'. The window handle is decimal, as Windows writes it,
// or hexadecimal with 0x.
#pragma once

#include <string>
#include <vector>

#include "core/run/launch_request.h"

namespace coderain {

// Parses `args` (without the program's name) into *request: Settings with
// the owner in `window` (0: none), Preview with the parent in `window`, or
// OwnWindow. Returns -1 when the program should go on, 0 when it has
// nothing to do (/a), 2 for anything else, which shows no window.
int ParseSaverArguments(const std::vector<std::string>& args, LaunchRequest* request);

}  // namespace coderain
