// What the program is asked to do, whatever the platform's command line
// looks like: the display it opens, the mode it runs in and how that mode
// ends.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace coderain {

// How often a scene may be presented: at most `fps` times a second, and
// on battery `batteryFps` (0: as on mains; kHalfOnBattery: half of fps,
// at least one; never more than fps).
struct FrameRate {
  static constexpr int kMaxFps = 60;
  static constexpr int kHalfOnBattery = -1;
  int fps = kMaxFps;
  int batteryFps = kHalfOnBattery;

  // Presents a second allowed now.
  int Cap(bool onBattery) const {
    if (!onBattery || batteryFps == 0) return fps;
    // A battery never raises the rate.
    return batteryFps == kHalfOnBattery ? (fps + 1) / 2 : std::min(fps, batteryFps);
  }
};

struct LaunchRequest {
  enum class Mode {
    OwnWindow,      // full screen in windows of its own; a counted key or click ends it
    LentWindow,     // in a window lent by a screen-saver daemon; a close signal or the window's end ends it
    Preview,        // in miniature in a settings dialog's pane; the pane's end ends it
    Page,           // in a browser's page; a counted key or click stops the scene
    PageWallpaper,  // a page lent to a desktop as its wallpaper; input is the desktop's
    Wallpaper,      // behind the desktop's windows on every monitor; input is the desktop's
    Still,          // on a virtual clock, frames written out (the renderer, the page's at=)
    Settings,       // says there is nothing to set, and ends
  };
  // What each mode does is its row (run_mode.h).
  Mode mode = Mode::OwnWindow;
  // LentWindow and Preview: the window to draw into, as the platform
  // numbers its windows; with `daemonWindow`, the one the daemon names.
  std::uint64_t window = 0;
  // The window XSCREENSAVER_WINDOW names, else the root window (--root).
  bool daemonWindow = false;
  std::string display;        // the display to use; empty: the environment's
  int scale = 0;              // 1 to 8; 0: the display's rule
  std::string output;         // the output to show the scene on, by name; empty: the primary
  bool everyMonitor = false;  // a scene of its own on every monitor (own window only)
  std::string dataDir;        // the folder of the three text files; empty: the program's own
  FrameRate rate;             // presents a second at most

  // Adds the program to the list of ~/.xscreensaver, and ends.
  bool xscreensaverAdd = false;
};

// `text` as an error line may show it: control bytes as '?', and at most
// 32 bytes of it, "..." marking what was cut. Everything a line echoes of
// the command line or the environment goes through it.
std::string Printable(std::string_view text);

}  // namespace coderain
