// The monitors of an X screen, the borderless windows of ours over them,
// and the black windows that cover every monitor the scene is not on.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "core/gfx/geometry.h"
#include "displays/x11/x11_connection.h"

namespace coderain {

// A monitor's place on the X screen, in pixels.
struct Monitor {
  Rect bounds;
  bool primary = false;
  std::string name;  // its RandR output's; empty where RandR says none
};

// The monitors as RandR places them, the primary first (without one
// marked, the first stands in), once for each output they show; the
// whole screen where RandR says none.
std::vector<Monitor> Monitors(const X11Connection& c);

// What every window of ours hears: keys, buttons, and its own changes.
inline constexpr long kInputEvents =
    KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;

// A borderless window of ours at `bounds`, titled `title`, asking to be
// full screen under a window manager; not yet shown. A window `below`
// asks instead to be the desktop: beneath every other window, on every
// workspace, out of task bars and pagers, and every click goes through it
// to what lies beneath.
::Window OpenWindow(const X11Connection& c, Rect bounds, const char* title, long eventMask, bool below = false);

// What a window below the others hears: nothing of the keyboard or mouse.
inline constexpr long kBelowEvents = StructureNotifyMask | ExposureMask | VisibilityChangeMask;

// Black windows over the monitors the screen plan covers. The server paints
// their black itself, on every exposure, so they cost nothing once mapped.
class MonitorCovers {
 public:
  explicit MonitorCovers(const X11Connection& c) : c_(c) {}

  // Covers `monitors`; windows over monitors no longer among them go. The
  // new windows go up before the old ones go, so that no monitor shows the
  // desktop in between; `scene` stays on top where monitors overlap.
  // Mapped only once Show() has run.
  void Cover(::Window scene, const std::vector<Rect>& monitors);
  void Show();
  // Whether `w` is one of the covers.
  bool Covers(::Window w) const;
  // Another program destroyed cover `w`: its monitor is covered again.
  void Lost(::Window w, ::Window scene);

 private:
  const X11Connection& c_;
  bool shown_ = false;
  std::vector<::Window> windows_;
  std::vector<Rect> covered_;  // the monitors they cover
};

}  // namespace coderain
