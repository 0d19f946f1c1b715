#include "open_display.h"

#include <cstdlib>

#include "app/display_choice.h"
#if CODERAIN_X11
#include "platform/x11/x11_display.h"
#endif
#if CODERAIN_WAYLAND
#include "platform/sdl/sdl_display.h"
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
    case DisplayKind::Wayland: {
      std::unique_ptr<SceneDisplay> d = SdlDisplay::Open(request, signals, error);
      if (!d && error->rfind("cannot create", 0) != 0) {
        const char* x = std::getenv("DISPLAY");
        const char* w = std::getenv("WAYLAND_DISPLAY");
        *error = !(x && *x) && !(w && *w)
                     ? "cannot open the display: DISPLAY is not set, and no Wayland compositor answers (" + *error + ")"
                     : "cannot open the display: " + *error;
      }
      return d;
    }
#endif
    default:
      *error = "cannot open the display: this build has no display of that kind";
      return nullptr;
  }
}

}  // namespace

std::unique_ptr<SceneDisplay> OpenDisplay(const LaunchRequest& request, const CloseSignals* signals,
                                          std::string* error) {
  std::unique_ptr<SceneDisplay> d;
  for (DisplayKind kind : DisplaysToTry(request, std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"))) {
    d = Open(kind, request, signals, error);
    // The next display is tried only where this one does not answer at
    // all; one that answers and cannot show the scene has said why.
    if (d || error->rfind("cannot open the display", 0) != 0) break;
  }
  return d;
}

}  // namespace coderain
