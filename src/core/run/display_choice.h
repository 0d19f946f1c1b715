// Which display the program opens, from the launch request and the
// environment: the first in the list that opens.
//
//   a lent window, or --display            X11 (daemons lend X windows)
//   WAYLAND_DISPLAY set, or the usual      Wayland, then X11 where DISPLAY is set
//   socket there
//   DISPLAY set                            X11
//   neither                                Wayland (which says that nothing answers)
#pragma once

#include <vector>

#include "core/run/launch_request.h"

namespace coderain {

enum class DisplayKind { X11, Wayland };

// `display` and `wayland` are the environment's DISPLAY and WAYLAND_DISPLAY,
// null when unset (set but empty is unset too); `usualSocket`, whether the
// runtime directory holds the usual compositor's socket (wayland-0).
std::vector<DisplayKind> DisplaysToTry(const LaunchRequest& request, const char* display, const char* wayland,
                                       bool usualSocket);

}  // namespace coderain
