// The ways the program runs, as a table: one row a mode, saying what input
// counts, what ends the run and how, whether the monitors the scene is not
// on are covered, how the scene fits its window and whether the run may
// stop drawing while nobody sees it. The loop, the output fit and the
// displays read the row; none of them asks which mode it is.
//
// A new mode is a row here (and, at most, a display that shows it).
#pragma once

#include "core/run/launch_request.h"
#include "core/run/output_fit.h"

namespace coderain {

struct RunMode {
  const char* name;
  // Keys and clicks are the scene's, as the input rules count them; else
  // they belong to whoever lent the window and change nothing.
  bool inputCounts;
  // The windows are the program's own: it makes, shows, moves and titles
  // them, and one that cannot have a new size for want of memory cannot go
  // on. Else the window is lent: never touched, and a size that cannot be
  // had keeps the scene at the size it has.
  bool ownsWindows;
  // A close request ends the process by the signal that asked (a daemon
  // counts any other end a failure); else with status 0.
  bool closeBySignal;
  // The window's end, destroyed by another program: one line and status 1;
  // else the lender is done with it, status 0.
  bool windowGoneFails;
  // Black covers over the monitors without a scene.
  bool coversOtherMonitors;
  // A scene of its own on every monitor where the request asks.
  bool sceneOnEveryMonitor;
  // How the scene fits the window (output_fit.h).
  FitRule fit;
  // The windows lie below every other window, on every workspace, out of
  // task bars, and let keys and clicks through to what is beneath (a
  // wallpaper); else they cover the screen.
  bool belowWindows;
  // While nobody sees a screen its scene stops, clock and all, and goes on
  // where it stopped when seen again; else it runs on its clock whatever
  // is seen.
  bool mayRestUnseen;
};

// One row a mode. kLentWindow: a screen-saver daemon's window (--root,
// --window-id); kPreview: a settings dialog's pane (/p); kPage: the page
// in a browser; kPageWallpaper: the page lent to a desktop as its
// wallpaper (#wallpaper); kWallpaper: behind the desktop's windows on
// every monitor (--wallpaper), which a close signal ends; kStill: a still or a film on a virtual clock (the
// renderer, the page's at=), which nothing but its time ends.
// clang-format off
//                                   name                 input  owns   signal gone   covers every  fit                             below  rest
inline constexpr RunMode kOwnWindows   {"own windows",       true,  true,  false, true,  true,  true,  FitRule::MiniatureWhenSmall,     false, true};
inline constexpr RunMode kLentWindow   {"lent window",       false, false, true,  false, false, false, FitRule::MiniatureWhenSmall,     false, true};
inline constexpr RunMode kPreview      {"preview",           false, false, true,  false, false, false, FitRule::MiniatureWhenSmall,     false, true};
inline constexpr RunMode kPage         {"page",              true,  true,  false, true,  false, false, FitRule::MiniatureWhenSmall,     false, true};
inline constexpr RunMode kPageWallpaper{"page as wallpaper", false, false, true,  false, false, false, FitRule::MiniatureWhenSmall,     true,  true};
inline constexpr RunMode kWallpaper    {"wallpaper",         false, true,  false, false, false, true,  FitRule::MiniatureWhenSmall,     true,  true};
inline constexpr RunMode kStill        {"still",             false, true,  false, true,  false, false, FitRule::Full,                  false, false};
// clang-format on

// The row of a request's mode (Settings, which shows nothing, has none:
// own windows stands in).
const RunMode& ModeOf(LaunchRequest::Mode mode);

}  // namespace coderain
