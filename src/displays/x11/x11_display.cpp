#include "displays/x11/x11_display.h"

#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/gfx/damage.h"
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
  // The screen saver may be on already (a daemon lends its own window).
  XScreenSaverInfo info{};
  if (d->c_->saverEvent >= 0 && XScreenSaverQueryInfo(d->c_->dpy, d->c_->root, &info))
    d->SaverChanged(info.state == ScreenSaverOn, info.window);
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
  if (onRoot_) sw.image->SetOrigin({bounds.x, bounds.y});
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
  // Without a window manager nothing would keep a window of ours below
  // the others: the wallpaper is the root window itself.
  onRoot_ = Mode().belowWindows && !c_->windowManager;
  if (onRoot_) XSelectInput(c_->dpy, c_->root, ExposureMask);
  const MonitorPlaces monitors(*c_);
  const ScreenPlan plan = PlanScreens(monitors.places, {}, request_, monitors.names);
  for (const Rect& b : plan.added)
    if (!AddWindow(NewWindow(b), visual, depth, b, error)) return false;
  covers_.Cover(windows_.begin()->second.window, plan.covered);
  return true;
}

::Window X11Display::NewWindow(Rect b) {
  if (onRoot_) return c_->root;
  const bool below = Mode().belowWindows;
  return OpenWindow(*c_, b, kSceneTitle, below ? kBelowEvents : kInputEvents | ExposureMask | VisibilityChangeMask,
                    below);
}

void X11Display::MapScene(::Window w) {
  if (onRoot_) return;
  if (!Mode().belowWindows) {
    XMapRaised(c_->dpy, w);
    return;
  }
  XMapWindow(c_->dpy, w);
  XLowerWindow(c_->dpy, w);
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
      XSelectInput(c_->dpy, w, StructureNotifyMask | ExposureMask | VisibilityChangeMask);
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
  for (const auto& [screen, sw] : windows_) MapScene(sw.window);
  XFlush(c_->dpy);
}

PixelLayout X11Display::Layout(int screen) const { return windows_.at(screen).image->Layout(); }

bool X11Display::MakeImages(int screen, int width, int height, std::string* error) {
  return windows_.at(screen).image->Resize(width, height, error);
}

ImageView X11Display::Image(int screen, int) const { return windows_.at(screen).image->View(); }

int X11Display::FreeImage(int screen) { return windows_.at(screen).image->Busy() ? -1 : 0; }

void X11Display::Send(int screen, int, std::span<const Rect> rects, bool whole) {
  // The last frame of a run that ends stays off the root.
  if (rootGivenBack_) return;
  X11Image& image = *windows_.at(screen).image;
  if (whole) {
    const Rect all{0, 0, image.Width(), image.Height()};
    image.Present({&all, 1});
  } else {
    // The server pays for a request about what it pays for copying a
    // thousand pixels, and a present under a frame-rate cap carries a few
    // hundred glyph cells.
    constexpr long long kRequestInPixels = 1024;
    merged_.assign(rects.begin(), rects.end());
    Coalesce(&merged_, kRequestInPixels);
    image.Present(merged_);
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
  // While no scene is seen, the server says when one is again; only the
  // monitors' power has to be asked for.
  bool unseen = Mode().mayRestUnseen && !c_->hasDpms && !windows_.empty();
  for (const auto& [screen, sw] : windows_) unseen = unseen && sw.unseen;
  // Events that came with an answer to a request are read already.
  return {c_->fd, POLLIN, XEventsQueued(c_->dpy, QueuedAlready) > 0, unseen};
}

void X11Display::SaverChanged(bool on, ::Window saver) {
  saverOn_ = on;
  for (auto& [screen, sw] : windows_) sw.sight.inSaver = on && WindowWithin(c_->dpy, sw.window, saver);
}

void X11Display::LookAtPower() {
  if (!c_->hasDpms) return;
  const auto now = std::chrono::steady_clock::now();
  if (now < nextPowerLook_) return;
  nextPowerLook_ = now + std::chrono::seconds(1);
  CARD16 level = 0;
  BOOL enabled = False;
  if (DPMSInfo(c_->dpy, &level, &enabled)) monitorsDark_ = !MonitorsLit(enabled != False, level);
}

void X11Display::UpdateSight(std::vector<DisplayEvent>* events) {
  for (auto& [screen, sw] : windows_) {
    const bool unseen = !sw.sight.Seen(saverOn_, monitorsDark_);
    if (unseen == sw.unseen || !HasScreen(screen)) continue;
    sw.unseen = unseen;
    // Seen again, the whole frame is shown: the exposures that came with
    // it would show it twice.
    if (!unseen)
      std::erase_if(*events, [s = screen](const DisplayEvent& e) {
        return e.kind == DisplayEvent::Kind::Exposed && e.screen == s;
      });
    events->push_back({unseen ? DisplayEvent::Kind::Unseen : DisplayEvent::Kind::Seen, screen});
  }
}

void X11Display::RootExposed(Rect area, bool last, std::vector<DisplayEvent>* events) {
  for (const auto& [screen, sw] : windows_)
    if (sw.monitor.Intersects(area) &&
        std::find(rootExposed_.begin(), rootExposed_.end(), screen) == rootExposed_.end())
      rootExposed_.push_back(screen);
  if (!last) return;
  for (int screen : rootExposed_) events->push_back({DisplayEvent::Kind::Exposed, screen});
  rootExposed_.clear();
}

void X11Display::Dispatch(short revents, std::vector<DisplayEvent>* events) {
  // Read only what the poll says is there: a read that finds nothing is a
  // wasted call, once a frame.
  if (revents & (POLLIN | POLLHUP | POLLERR)) XEventsQueued(c_->dpy, QueuedAfterReading);
  LookAtPower();
  // The run ends: the root gets its own background back rather than keep
  // the scene's last picture.
  if (onRoot_ && std::any_of(events->begin(), events->end(),
                             [](const DisplayEvent& e) { return e.kind == DisplayEvent::Kind::CloseRequested; })) {
    // Waited for, so that it is done before the program has ended.
    XClearWindow(c_->dpy, c_->root);
    XSync(c_->dpy, False);
    rootGivenBack_ = true;
  }
  const std::size_t first = events->size();
  std::vector<int> resized;
  while (XEventsQueued(c_->dpy, QueuedAlready) > 0) {
    XEvent ev;
    XNextEvent(c_->dpy, &ev);
    if (ev.type == ConfigureNotify) {
      // Only the last size of a run of changes matters.
      // The root's size is the monitors', which RandR tells.
      const int screen = ScreenOf(ev.xconfigure.window);
      if (screen < 0 || onRoot_) continue;
      // Raised by another program: a window below the others goes back
      // to the bottom.
      if (Mode().belowWindows && ev.xconfigure.above != None) XLowerWindow(c_->dpy, ev.xconfigure.window);
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
  UpdateSight(events);
  if (WatchedWindowGone()) events->push_back({DisplayEvent::Kind::WindowGone});
}

bool X11Display::React(const XEvent& ev, std::vector<DisplayEvent>* events) {
  switch (ev.type) {
    case Expose:
      if (!onRoot_ || ev.xexpose.window != c_->root) return false;
      RootExposed({ev.xexpose.x, ev.xexpose.y, ev.xexpose.width, ev.xexpose.height}, ev.xexpose.count == 0, events);
      return true;
    case VisibilityNotify:
      if (const int screen = ScreenOf(ev.xvisibility.window); screen >= 0)
        windows_.at(screen).sight.obscured = ev.xvisibility.state == VisibilityFullyObscured;
      return true;
    case UnmapNotify:
      if (const int screen = ScreenOf(ev.xunmap.window); screen >= 0) windows_.at(screen).sight.unmapped = true;
      return true;
    case MapNotify:
      if (ScreenOf(ev.xmap.window) < 0) return true;
      windows_.at(ScreenOf(ev.xmap.window)).sight.unmapped = false;
      if (appeared_ || !Mode().ownsWindows) return true;
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
      // Without a window manager nobody gives the window the keyboard
      // (where the keys are the scene's).
      if (!c_->windowManager && Mode().inputCounts)
        XSetInputFocus(c_->dpy, ev.xmap.window, RevertToPointerRoot, CurrentTime);
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
    // Scenes on the root share its window, not their images.
    const auto& done = reinterpret_cast<const XShmCompletionEvent&>(ev);
    for (auto& [screen, sw] : windows_)
      if (sw.window == done.drawable && sw.image->InSegment(done.shmseg)) sw.image->Taken();
    return true;
  }
  if (ev.type == c_->saverEvent) {
    const auto& saver = reinterpret_cast<const XScreenSaverNotifyEvent&>(ev);
    SaverChanged(saver.state != ScreenSaverOff, saver.window);
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
    if (!onRoot_) {
      XMoveResizeWindow(c_->dpy, sw.window, m.to.x, m.to.y, static_cast<unsigned>(m.to.w),
                        static_cast<unsigned>(m.to.h));
      continue;
    }
    // On the root the scene moves by itself: drawn anew at its new place.
    sw.image->SetOrigin({m.to.x, m.to.y});
    sw.width = m.to.w;
    sw.height = m.to.h;
    if (!HasScreen(m.screen)) continue;
    const OutputFacts now = FactsFor(m.to.w, m.to.h);
    std::optional<DisplayEvent> refit;
    if (NeedsRefit(Facts(m.screen), now)) refit = Refit(m.screen, now);
    events->push_back(refit ? std::move(*refit) : DisplayEvent{DisplayEvent::Kind::Exposed, m.screen});
  }
  for (const Rect& b : plan.added) {
    const ::Window w = NewWindow(b);
    std::string error;
    // A monitor whose scene cannot be had keeps what it shows.
    if (!AddWindow(w, DefaultVisual(c_->dpy, c_->screen), DefaultDepth(c_->dpy, c_->screen), b, &error)) {
      if (!onRoot_) XDestroyWindow(c_->dpy, w);
      continue;
    }
    if (shown_) MapScene(w);
    events->push_back({DisplayEvent::Kind::ScreenAdded, nextScreen_ - 1});
  }
  for (int screen : plan.removed) {
    const SceneWindow& sw = windows_.at(screen);
    if (onRoot_) {
      // What the scene left there goes back to the root's own background.
      XClearArea(c_->dpy, sw.window, sw.monitor.x, sw.monitor.y, static_cast<unsigned>(sw.monitor.w),
                 static_cast<unsigned>(sw.monitor.h), False);
    } else {
      UnwatchWindow(sw.window);
      XDestroyWindow(c_->dpy, sw.window);
    }
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
