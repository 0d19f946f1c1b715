#include "app/display_choice.h"

namespace coderain {

std::vector<DisplayKind> DisplaysToTry(const LaunchRequest& request, const char* display, const char* wayland) {
  if (request.Lent()) return {DisplayKind::X11};
  const bool x = !request.display.empty() || (display && *display);
  if (!x) return {DisplayKind::Wayland};
  if (wayland && *wayland) return {DisplayKind::X11, DisplayKind::Wayland};
  return {DisplayKind::X11};
}

}  // namespace coderain
