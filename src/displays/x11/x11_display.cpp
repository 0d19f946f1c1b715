#include "displays/x11/x11_display.h"

#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/run/screen_plan.h"

namespace coderain {

namespace {

// X numbers its resources in 29 bits; a larger number names no window.
constexpr std::uint64_t kMaxXid = 0x1FFFFFFF;

// Whether a window of this visual can show the scene; else *error says so.
bool TrueColour(Visual* visual, int depth, bool lent, std::string* error) {
  if (visual->c_class == TrueColor) return true;
  *error = std::string(lent ? "the window's" : "the screen's") + " colours (depth " + std::to_string(depth) +
           ") cannot be shown: only true colour can";
  return false;
}

// The monitors' places, the primary first.
struct MonitorPlaces {
  std::vector<Rect> places;
  std::vector<std::string> names;
  explicit MonitorPlaces(const X11Connection& c) {
    for (const Monitor& m : Monitors(c)) {
      places.push_back(m.bounds);
      names.push_back(m.name);
    }
  }
};

}  // namespace

X11Display::X11Display(std::unique_ptr<X11Connection> c, const LaunchRequest& request)
    : PolledDisplay(ModeOf(request.mode)), c_(std::move(c)), request_(request), covers_(*c_) {}

std::unique_ptr<X11Display> X11Display::Open(const LaunchRequest& request, bool* answered, std::string* error) {
  std::unique_ptr<X11Connection> c = ConnectX11(request.display, error);
  *answered = c != nullptr;
  if (!c) return nullptr;
  if (*error = MissingOutput(MonitorPlaces(*c).names, request); !error->empty()) return nullptr;
  std::unique_ptr<X11Display> d(new X11Display(std::move(c), request));
  if (!(d->Mode().ownsWindows ? d->CreateOwnWindows(error) : d->UseWindow(request.window, error))) return nullptr;
  return d;
}

OutputFacts X11Display::FactsFor(int width, int height) const {
  return WindowFacts(request_, width, height, c_->dpi, c_->refreshHz);
}

bool X11Display::AddWindow(::Window w, Visual* visual, int depth, Rect bounds, std::string* error) {
  const int screen = nextScreen_++;
  SceneWindow& sw = windows_[screen];
  sw.window = w;
  sw.monitor = bounds;
  sw.width = bounds.w;
  sw.height = bounds.h;
  // From here on, the window's end shows as an error on any request.
  WatchWindow(w);
  sw.image = std::make_unique<X11Image>(c_.get(), w, visual, depth);
  if (AddScreen(screen, FactsFor(bounds.w, bounds.h), error)) return true;
  UnwatchWindow(w);
  windows_.erase(screen);
  return false;
}

bool X11Display::CreateOwnWindows(std::string* error) {
  Visual* visual = DefaultVisual(c_->dpy, c_->screen);
  const int depth = DefaultDepth(c_->dpy, c_->screen);
  std::string why;
  if (!TrueColour(visual, depth, false, &why)) {
    *error = "cannot create the window: " + why;
    return false;
  }
  const MonitorPlaces monitors(*c_);
  const ScreenPlan plan = PlanScreens(monitors.places, {}, request_, monitors.names);
  for (const Rect& b : plan.added) {
    const ::Window w = OpenWindow(*c_, b, kSceneTitle, kInputEvents | ExposureMask);
    if (!AddWindow(w, visual, depth, b, error)) return false;
  }
  covers_.Cover(windows_.begin()->second.window, plan.covered);
  return true;
}

bool X11Display::UseWindow(std::uint64_t id, std::string* error) {
  const ::Window w = id != 0 ? static_cast<::Window>(id) : c_->root;
  char name[32];
  std::snprintf(name, sizeof name, "0x%llx", static_cast<unsigned long long>(id != 0 ? id : w));
  XWindowAttributes a{};
  {
    // Selecting first means that no change of size after the question
    // goes unseen. Only the window's size and exposures: its keyboard and
    // mouse belong to whoever lent it.
    ErrorTrap trap(c_->dpy);
    Status found = 0;
    if (id <= kMaxXid) {
      XSelectInput(c_->dpy, w, StructureNotifyMask | ExposureMask);
      found = XGetWindowAttributes(c_->dpy, w, &a);
    }
    if (trap.End() != 0 || !found) {
      *error = std::string("cannot draw into window ") + name + ": there is no such window";
      return false;
    }
  }
  if (a.c_class == InputOnly) {
    *error = std::string("cannot draw into window ") + name + ": it is an input-only window";
    return false;
  }
  return TrueColour(a.visual, a.depth, true, error) &&
         AddWindow(w, a.visual, a.depth, {0, 0, a.width, a.height}, error);
}

void X11Display::Show() {
  shown_ = true;
  // A window lent to us is shown, or not, by its owner.
  if (!Mode().ownsWindows) return;
  covers_.Show();
  for (const auto& [screen, sw] : windows_) XMapRaised(c_->dpy, sw.window);
  XFlush(c_->dpy);
}

PixelLayout X11Display::Layout(int screen) const { return windows_.at(screen).image->Layout(); }

bool X11Display::MakeImages(int screen, int width, int height, std::string* error) {
  return windows_.at(screen).image->Resize(width, height, error);
}

ImageView X11Display::Image(int screen, int) const { return windows_.at(screen).image->View(); }

int X11Display::FreeImage(int screen) { return windows_.at(screen).image->Busy() ? -1 : 0; }

void X11Display::Send(int screen, int, std::span<const Rect> rects, bool whole) {
  X11Image& image = *windows_.at(screen).image;
  if (whole) {
    const Rect all{0, 0, image.Width(), image.Height()};
    image.Present({&all, 1});
  } else {
    image.Present(rects);
  }
}

int X11Display::ScreenOf(::Window w) const {
  for (const auto& [screen, sw] : windows_)
    if (sw.window == w) return screen;
  return -1;
}

X11InputContext X11Display::InputContext() const {
  X11InputContext context{{}, c_->wmProtocols, c_->wmDeleteWindow};
  for (const auto& [screen, sw] : windows_)
    if (HasScreen(screen)) context.scenes.push_back({sw.window, screen, Fit(screen)});
  return context;
}

PolledDisplay::WaitOn X11Display::PrepareWait() {
  XFlush(c_->dpy);
  // Events that came with an answer to a request are read already.
  return {c_->fd, POLLIN, XEventsQueued(c_->dpy, QueuedAlready) > 0, false};
}

void X11Display::Dispatch(short revents, std::vector<DisplayEvent>* events) {
  // Read only what the poll says is there: a read that finds nothing is a
  // wasted call, once a frame.
  if (revents & (POLLIN | POLLHUP | POLLERR)) XEventsQueued(c_->dpy, QueuedAfterReading);
  const std::size_t first = events->size();
  std::vector<int> resized;
  while (XEventsQueued(c_->dpy, QueuedAlready) > 0) {
    XEvent ev;
    XNextEvent(c_->dpy, &ev);
    if (ev.type == ConfigureNotify) {
      // Only the last size of a run of changes matters.
      const int screen = ScreenOf(ev.xconfigure.window);
      if (screen < 0) continue;
      SceneWindow& sw = windows_.at(screen);
      sw.width = ev.xconfigure.width;
      sw.height = ev.xconfigure.height;
      if (std::find(resized.begin(), resized.end(), screen) == resized.end()) resized.push_back(screen);
    } else if (!React(ev, events)) {
      TranslateInput(ev, InputContext(), events);
    }
  }
  for (int screen : resized) {
    const auto it = windows_.find(screen);
    if (it == windows_.end() || !HasScreen(screen)) continue;
    const OutputFacts now = FactsFor(it->second.width, it->second.height);
    if (!NeedsRefit(Facts(screen), now)) continue;
    if (auto e = Refit(screen, now)) events->push_back(std::move(*e));
  }
  FitsFirst(events, first);
  if (WatchedWindowGone()) events->push_back({DisplayEvent::Kind::WindowGone});
}

bool X11Display::React(const XEvent& ev, std::vector<DisplayEvent>* events) {
  switch (ev.type) {
    case MapNotify:
      if (ScreenOf(ev.xmap.window) < 0 || appeared_ || !Mode().ownsWindows) return true;
      appeared_ = true;
      {
        // The keys held down as the windows appear: the Enter that started
        // the program is often one of them.
        DisplayEvent e{DisplayEvent::Kind::Appeared};
        char keymap[32];
        XQueryKeymap(c_->dpy, keymap);
        for (int code = 0; code < 256; ++code)
          if (keymap[code / 8] & (1 << (code % 8))) e.keys.push_back(code);
        events->push_back(std::move(e));
      }
      // Without a window manager nobody gives the window the keyboard.
      if (!c_->windowManager) XSetInputFocus(c_->dpy, ev.xmap.window, RevertToPointerRoot, CurrentTime);
      return true;
    case DestroyNotify:
      if (ScreenOf(ev.xdestroywindow.window) >= 0) {
        events->push_back({DisplayEvent::Kind::WindowGone});
      } else if (covers_.Covers(ev.xdestroywindow.window)) {
        // Another program destroyed a black window.
        covers_.Lost(ev.xdestroywindow.window, windows_.begin()->second.window);
      }
      return true;
    case MappingNotify:
      XRefreshKeyboardMapping(const_cast<XMappingEvent*>(&ev.xmapping));
      return true;
    default:
      break;
  }
  if (ev.type == c_->shmCompletion) {
    const int screen = ScreenOf(reinterpret_cast<const XShmCompletionEvent&>(ev).drawable);
    if (screen >= 0) windows_.at(screen).image->Taken();
    return true;
  }
  if (ev.type != c_->randrEvent) return false;
  XRRUpdateConfiguration(const_cast<XEvent*>(&ev));
  // A window lent to us is its owner's to move and to cover around.
  if (Mode().ownsWindows) FollowMonitors(events);
  return true;
}

void X11Display::FollowMonitors(std::vector<DisplayEvent>* events) {
  std::vector<PlacedScene> placed;
  for (const auto& [screen, sw] : windows_) placed.push_back({screen, sw.monitor});
  const MonitorPlaces monitors(*c_);
  const ScreenPlan plan = PlanScreens(monitors.places, placed, request_, monitors.names);
  // By itself without a window manager, and on request with one, which
  // keeps a full-screen window on whichever monitor it overlaps most; a new
  // size is a new scene there.
  for (const ScreenPlan::Move& m : plan.moves) {
    SceneWindow& sw = windows_.at(m.screen);
    sw.monitor = m.to;
    XMoveResizeWindow(c_->dpy, sw.window, m.to.x, m.to.y, static_cast<unsigned>(m.to.w), static_cast<unsigned>(m.to.h));
  }
  for (const Rect& b : plan.added) {
    const ::Window w = OpenWindow(*c_, b, kSceneTitle, kInputEvents | ExposureMask);
    std::string error;
    // A monitor whose scene cannot be had keeps what it shows.
    if (!AddWindow(w, DefaultVisual(c_->dpy, c_->screen), DefaultDepth(c_->dpy, c_->screen), b, &error)) {
      XDestroyWindow(c_->dpy, w);
      continue;
    }
    if (shown_) XMapRaised(c_->dpy, w);
    events->push_back({DisplayEvent::Kind::ScreenAdded, nextScreen_ - 1});
  }
  for (int screen : plan.removed) {
    const ::Window w = windows_.at(screen).window;
    UnwatchWindow(w);
    XDestroyWindow(c_->dpy, w);
    windows_.erase(screen);
    RemoveScreen(screen);
    events->push_back({DisplayEvent::Kind::ScreenRemoved, screen});
  }
  if (!windows_.empty()) covers_.Cover(windows_.begin()->second.window, plan.covered);
}

const DisplayRow<PolledDisplay>& X11DisplayRow() {
  static const DisplayRow<PolledDisplay> row{
      "x11",
      [](const LaunchRequest& request) {
        const char* display = std::getenv("DISPLAY");
        // Screen-saver daemons lend X windows.
        return !ModeOf(request.mode).ownsWindows || !request.display.empty() || (display && *display) ? Probe::Named
                                                                                                      : Probe::NotNamed;
      },
      "DISPLAY is not set",
      false,
      [](const LaunchRequest& request, bool* answered, std::string* error) -> std::unique_ptr<PolledDisplay> {
        return X11Display::Open(request, answered, error);
      },
  };
  return row;
}

}  // namespace coderain
