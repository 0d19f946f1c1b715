// The program's command line, in the form screen-saver daemons use:
//
//   coderain [--window | --root | --window-id ID] [--display D] [--scale N]
//            [--output NAME] [--every-monitor] [--wallpaper] [--data DIR]
//            [--fps N] [--battery-fps N]
//   coderain --xscreensaver-add
//
// Options take one dash or two (-root and --root are the same), and a value
// follows as the next argument or after '='. With no options the program is
// the full-screen display it has always been. An option it does not know
// changes nothing (daemons may pass options of their own), but is named in
// one line, with the option meant where one is near; those that daemons
// pass to every program are set aside without a word.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "core/run/launch_request.h"

namespace coderain {

// Parses argv (argv[0] is the program) into *request: --window is the own
// window, --root and --window-id a lent window; --every-monitor and --data
// set the fields of that name (a folder without its trailing separators),
// --wallpaper the wallpaper on every monitor, --fps and --battery-fps the
// frame rate (a bare -fps is a daemon's, set aside), --xscreensaver-add
// `xscreensaverAdd`. Returns -1 when the program should
// run (after a line on `err` for each option set aside, and one for
// --every-monitor in a lent window, which shows one scene), or the exit
// status: 0 after printing the usage to `out` for --help, or "coderain
// VERSION" for --version (CODERAIN_VERSION, CMake's project version); 2
// after one line on `err` for a value that is missing or out of range; 1
// after one line naming a window id that is not a number.
int ParseProgramOptions(int argc, const char* const* argv, LaunchRequest* request, std::ostream& out,
                        std::ostream& err);

// Reads a window id as X writes them: hexadecimal with 0x, else decimal.
// Returns false for anything else (empty, signs, trailing text, zero, past
// 64 bits).
bool ParseWindowId(const std::string& text, std::uint64_t* id);

// The window --root draws into: the one that `daemonWindow` (the value of
// XSCREENSAVER_WINDOW, or null when it is not set) names, else 0 for the
// root window. A value that names no window the way X writes them is set
// aside with one line for stderr in *note, showing it safely.
std::uint64_t DaemonWindow(const char* daemonWindow, std::string* note);

}  // namespace coderain
