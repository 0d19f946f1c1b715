#include "core/run/run_mode.h"

namespace coderain {

const RunMode& ModeOf(LaunchRequest::Mode mode) {
  using M = LaunchRequest::Mode;
  switch (mode) {
    case M::LentWindow:
      return kLentWindow;
    case M::Preview:
      return kPreview;
    case M::Page:
      return kPage;
    case M::PageWallpaper:
      return kPageWallpaper;
    case M::Wallpaper:
      return kWallpaper;
    case M::Still:
      return kStill;
    case M::OwnWindow:
    case M::Settings:
      break;
  }
  return kOwnWindows;
}

}  // namespace coderain
