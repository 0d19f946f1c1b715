#include "displays/x11/x11_monitors.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "core/run/scene_display.h"

namespace coderain {

std::vector<Monitor> Monitors(const X11Connection& c) {
  std::vector<Monitor> monitors;
  if (c.hasRandr) {
    int n = 0;
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(c.dpy, c.root);
    if (XRRMonitorInfo* info = XRRGetMonitors(c.dpy, c.root, True, &n)) {
      for (int i = 0; i < n; ++i) {
        const Monitor m{{info[i].x, info[i].y, info[i].width, info[i].height}, info[i].primary != 0, {}};
        const std::size_t first = monitors.size();
        for (int j = 0; res && j < info[i].noutput; ++j) {
          if (XRROutputInfo* o = XRRGetOutputInfo(c.dpy, res, info[i].outputs[j])) {
            monitors.push_back(m);
            monitors.back().name.assign(o->name, static_cast<std::size_t>(o->nameLen));
            XRRFreeOutputInfo(o);
          }
        }
        if (monitors.size() == first) monitors.push_back(m);
      }
      XRRFreeMonitors(info);
    }
    if (res) XRRFreeScreenResources(res);
  }
  if (monitors.empty())
    monitors.push_back({{0, 0, DisplayWidth(c.dpy, c.screen), DisplayHeight(c.dpy, c.screen)}, true, {}});
  std::stable_partition(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; });
  return monitors;
}

namespace {

void SetAtoms(::Display* d, ::Window w, const char* property, std::initializer_list<const char*> names) {
  std::vector<Atom> atoms;
  for (const char* name : names) atoms.push_back(Intern(d, name));
  XChangeProperty(d, w, Intern(d, property), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
}

// The desktop's window: below the rest, on every workspace (all ones), and
// with no input shape, so that no click lands on it.
void MakeDesktop(const X11Connection& c, ::Window w) {
  ::Display* d = c.dpy;
  SetAtoms(d, w, "_NET_WM_WINDOW_TYPE", {"_NET_WM_WINDOW_TYPE_DESKTOP"});
  SetAtoms(d, w, "_NET_WM_STATE", {"_NET_WM_STATE_BELOW", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"});
  const long everyDesktop = 0xFFFFFFFF;
  XChangeProperty(d, w, Intern(d, "_NET_WM_DESKTOP"), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&everyDesktop), 1);
  if (!c.hasXfixes) return;
  const XserverRegion none = XFixesCreateRegion(d, nullptr, 0);
  XFixesSetWindowShapeRegion(d, w, ShapeInput, 0, 0, none);
  XFixesDestroyRegion(d, none);
}

}  // namespace

::Window OpenWindow(const X11Connection& c, Rect b, const char* title, long eventMask, bool below) {
  ::Display* d = c.dpy;
  XSetWindowAttributes a{};
  a.background_pixel = BlackPixel(d, c.screen);
  a.border_pixel = 0;
  a.event_mask = eventMask;
  // A window manager would frame the desktop's window, and its frame
  // would take the clicks that are to go through: it stays unmanaged,
  // at the bottom of the stack, where nothing raises it.
  a.override_redirect = below ? True : False;
  ::Window w =
      XCreateWindow(d, c.root, b.x, b.y, static_cast<unsigned>(b.w), static_cast<unsigned>(b.h), 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWBackPixel | CWBorderPixel | CWEventMask | CWOverrideRedirect, &a);
  XStoreName(d, w, title);
  XChangeProperty(d, w, Intern(d, "_NET_WM_NAME"), Intern(d, "UTF8_STRING"), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));
  XClassHint cls{const_cast<char*>("coderain"), const_cast<char*>("coderain")};
  XSetClassHint(d, w, &cls);
  Atom deleteWindow = c.wmDeleteWindow;
  XSetWMProtocols(d, w, &deleteWindow, 1);
  XSizeHints size{};
  size.flags = USPosition | USSize;
  size.x = b.x;
  size.y = b.y;
  size.width = b.w;
  size.height = b.h;
  XSetWMNormalHints(d, w, &size);
  // No frame and no caption: flags, functions, decorations, input mode,
  // status, with only the decorations given, and none of them.
  const long noDecorations[5] = {2, 0, 0, 0, 0};
  const Atom motif = Intern(d, "_MOTIF_WM_HINTS");
  XChangeProperty(d, w, motif, motif, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(noDecorations), 5);
  // Under a window manager the window asks to be full screen from the
  // moment it is mapped, on the monitor it stands on. Without one it
  // already covers the monitor.
  if (below) {
    MakeDesktop(c, w);
  } else if (c.windowManager) {
    const Atom fullscreen = Intern(d, "_NET_WM_STATE_FULLSCREEN");
    XChangeProperty(d, w, Intern(d, "_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&fullscreen), 1);
  }
  return w;
}

void MonitorCovers::Cover(::Window scene, const std::vector<Rect>& monitors) {
  std::vector<Rect> others = monitors;
  if (others == covered_ && others.size() == windows_.size()) return;
  std::vector<::Window> old = std::move(windows_);
  windows_.clear();
  for (const Rect& b : others) {
    windows_.push_back(OpenWindow(c_, b, kCoverTitle, kInputEvents));
    if (shown_) XMapWindow(c_.dpy, windows_.back());
  }
  if (shown_ && !windows_.empty()) XRaiseWindow(c_.dpy, scene);
  for (::Window w : old) XDestroyWindow(c_.dpy, w);
  covered_ = std::move(others);
}

void MonitorCovers::Show() {
  shown_ = true;
  for (::Window w : windows_) XMapRaised(c_.dpy, w);
}

bool MonitorCovers::Covers(::Window w) const {
  return std::find(windows_.begin(), windows_.end(), w) != windows_.end();
}

void MonitorCovers::Lost(::Window w, ::Window scene) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), w), windows_.end());
  const std::vector<Rect> covered = covered_;
  Cover(scene, covered);
}

}  // namespace coderain
