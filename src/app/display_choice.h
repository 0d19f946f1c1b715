// Which display the program opens, from the launch request and the
// environment: the first in the list that opens.
//
//   a lent window                         X11 (daemons lend X windows)
//   --display, or DISPLAY set             X11, then Wayland where WAYLAND_DISPLAY is set
//   neither                               Wayland (WAYLAND_DISPLAY, else the usual socket)
#pragma once

#include <vector>

#include "app/launch_request.h"

namespace coderain {

enum class DisplayKind { X11, Wayland };

// `display` and `wayland` are the environment's DISPLAY and WAYLAND_DISPLAY,
// null when unset.
std::vector<DisplayKind> DisplaysToTry(const LaunchRequest& request, const char* display, const char* wayland);

}  // namespace coderain
