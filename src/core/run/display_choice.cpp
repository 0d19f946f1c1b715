#include "core/run/display_choice.h"

namespace coderain {

std::vector<DisplayKind> DisplaysToTry(const LaunchRequest& request, const char* display, const char* wayland,
                                       bool usualSocket) {
  if (request.Lent() || !request.display.empty()) return {DisplayKind::X11};
  const bool x = display && *display;
  if ((wayland && *wayland) || usualSocket) {
    if (x) return {DisplayKind::Wayland, DisplayKind::X11};
    return {DisplayKind::Wayland};
  }
  if (x) return {DisplayKind::X11};
  return {DisplayKind::Wayland};
}

}  // namespace coderain
