#include "main/linux/open_display.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "core/run/display_choice.h"
#if CODERAIN_X11
#include "displays/x11/x11_display.h"
#endif
#if CODERAIN_WAYLAND
#include "displays/wayland/wayland_display.h"
#endif

namespace coderain {

namespace {

std::unique_ptr<SceneDisplay> Open(DisplayKind kind, const LaunchRequest& request, const CloseSignals* signals,
                                   std::string* error) {
  switch (kind) {
#if CODERAIN_X11
    case DisplayKind::X11:
      return X11Display::Open(request, signals, error);
#endif
#if CODERAIN_WAYLAND
    case DisplayKind::Wayland:
      return WaylandDisplay::Open(request, signals, error);
#endif
    default:
      *error = "cannot open the display: this build has no display of that kind";
      return nullptr;
  }
}

// Whether the runtime directory holds the usual compositor's socket.
bool UsualWaylandSocket() {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  return dir && *dir && ::stat((std::string(dir) + "/wayland-0").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

std::unique_ptr<SceneDisplay> OpenDisplay(const LaunchRequest& request, const CloseSignals* signals,
                                          std::string* error) {
  std::unique_ptr<SceneDisplay> d;
  const char* x = std::getenv("DISPLAY");
  for (DisplayKind kind : DisplaysToTry(request, x, std::getenv("WAYLAND_DISPLAY"), UsualWaylandSocket())) {
    d = Open(kind, request, signals, error);
    // The next display is tried only where this one does not answer at
    // all; one that answers and cannot show the scene has said why.
    if (d || error->rfind("cannot open the display", 0) != 0) break;
  }
  if (!d && !(x && *x) && error->rfind("cannot open the display: ", 0) == 0)
    *error = "cannot open the display: DISPLAY is not set, and " + error->substr(25);
  return d;
}

}  // namespace coderain
