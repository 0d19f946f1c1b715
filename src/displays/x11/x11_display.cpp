#include "displays/x11/x11_display.h"

#include <X11/extensions/Xrandr.h>
#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace coderain {

namespace {

// X numbers its resources in 29 bits; a larger number names no window.
constexpr std::uint64_t kMaxXid = 0x1FFFFFFF;

}  // namespace

X11Display::X11Display(std::unique_ptr<X11Connection> c, const CloseSignals* signals, const LaunchRequest& request)
    : c_(std::move(c)), signals_(*signals), lent_(request.Lent()), covers_(*c_) {
  facts_.dpi = c_->dpi;
  facts_.requestedScale = request.scale;
  facts_.lent = lent_;
  facts_.refreshHz = c_->refreshHz;
}

std::unique_ptr<X11Display> X11Display::Open(const LaunchRequest& request, const CloseSignals* signals,
                                             std::string* error) {
  std::string reason;
  std::unique_ptr<X11Connection> c = ConnectX11(request.display, &reason);
  if (!c) {
    *error = "cannot open the display: " + reason;
    return nullptr;
  }
  std::unique_ptr<X11Display> d(new X11Display(std::move(c), signals, request));
  if (!(request.Lent() ? d->UseWindow(request.window, error) : d->CreateOwnWindow(error))) return nullptr;
  return d;
}

bool X11Display::CreateOwnWindow(std::string* error) {
  const Rect b = Monitors(*c_).front().bounds;
  const ::Window w = OpenWindow(*c_, b, "Form1", kInputEvents | ExposureMask);
  covers_.Cover(w);
  std::string why;
  if (!TakeWindow(w, DefaultVisual(c_->dpy, c_->screen), DefaultDepth(c_->dpy, c_->screen), &why)) {
    *error = "cannot create the window: " + why;
    return false;
  }
  return FitTo(b.w, b.h, error);
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
  return TakeWindow(w, a.visual, a.depth, error) && FitTo(a.width, a.height, error);
}

bool X11Display::TakeWindow(::Window w, Visual* visual, int depth, std::string* error) {
  if (visual->c_class != TrueColor) {
    *error = std::string(lent_ ? "the window's" : "the screen's") + " colours (depth " + std::to_string(depth) +
             ") cannot be shown: only true colour can";
    return false;
  }
  window_ = w;
  // From here on, the window's end shows as an error on any request.
  WatchWindow(w);
  image_ = std::make_unique<X11Image>(c_.get(), w, visual, depth);
  return true;
}

bool X11Display::FitTo(int width, int height, std::string* error) {
  OutputFacts facts = facts_;
  facts.width = width;
  facts.height = height;
  const OutputFit fit = FitOutput(facts);
  // Drawn straight into, the image is what the scene shows with no copy
  // at all: the common case, a 24-bit screen at one pixel per pixel.
  const bool direct = image_->Copier().Native() && fit.scaling.up == 1 && fit.scaling.down == 1;
  Bitmap frame;
  if (!direct && !Bitmap::Allocate(fit.sceneWidth, fit.sceneHeight, &frame)) {
    *error =
        "not enough memory for a " + std::to_string(fit.sceneWidth) + "x" + std::to_string(fit.sceneHeight) + " image";
    return false;
  }
  if (!image_->Resize(width, height, error)) return false;
  const ImageView view = image_->View();
  if (direct)
    frame =
        view.pixels ? Bitmap(reinterpret_cast<std::uint32_t*>(view.pixels), width, height, view.pitch / 4) : Bitmap();
  frame_ = std::move(frame);
  fit_ = fit;
  direct_ = direct;
  return true;
}

void X11Display::Show() {
  // A window lent to us is shown, or not, by its owner.
  if (lent_) return;
  covers_.Show();
  XMapRaised(c_->dpy, window_);
  XFlush(c_->dpy);
}

X11InputContext X11Display::InputContext() const { return {window_, fit_, c_->wmProtocols, c_->wmDeleteWindow}; }

void X11Display::Wait(int timeoutMs, std::vector<DisplayEvent>* events) {
  if (XEventsQueued(c_->dpy, QueuedAfterFlush) == 0) {
    pollfd p[2] = {{c_->fd, POLLIN, 0}, {signals_.Fd(), POLLIN, 0}};
    ::poll(p, 2, timeoutMs);
  }
  const std::size_t first = events->size();
  if (signals_.Requested() != 0 && !closeSent_) {
    closeSent_ = true;
    DisplayEvent e{DisplayEvent::Kind::CloseRequested};
    e.signal = signals_.Requested();
    events->push_back(e);
  }
  int width = image_->Width(), height = image_->Height();
  const X11InputContext context = InputContext();
  while (XPending(c_->dpy) > 0) {
    XEvent ev;
    XNextEvent(c_->dpy, &ev);
    if (ev.type == ConfigureNotify && ev.xconfigure.window == window_) {
      // Only the last size of a run of changes matters.
      width = ev.xconfigure.width;
      height = ev.xconfigure.height;
    } else if (!React(ev, events)) {
      TranslateInput(ev, context, events);
    }
  }
  if (width != image_->Width() || height != image_->Height()) {
    // The new scene comes first, so that what this batch exposed shows it.
    std::string error;
    DisplayEvent e{DisplayEvent::Kind::Resized};
    if (!FitTo(width, height, &error)) {
      // A window that grows past what can be held keeps the scene at the
      // size it has; our own window cannot.
      e = DisplayEvent{DisplayEvent::Kind::Failed};
      e.text = error;
    }
    if (e.kind == DisplayEvent::Kind::Resized || !lent_)
      events->insert(events->begin() + static_cast<std::ptrdiff_t>(first), std::move(e));
  }
  if (WatchedWindowGone()) events->push_back({DisplayEvent::Kind::WindowGone});
}

bool X11Display::React(const XEvent& ev, std::vector<DisplayEvent>* events) {
  switch (ev.type) {
    case MapNotify:
      if (ev.xmap.window != window_ || appeared_ || lent_) return true;
      appeared_ = true;
      {
        // The keys held down as the window appears: the Enter that started
        // the program is often one of them.
        DisplayEvent e{DisplayEvent::Kind::Appeared};
        char keymap[32];
        XQueryKeymap(c_->dpy, keymap);
        for (int code = 0; code < 256; ++code)
          if (keymap[code / 8] & (1 << (code % 8))) e.keys.push_back(code);
        events->push_back(std::move(e));
      }
      // Without a window manager nobody gives the window the keyboard.
      if (!c_->windowManager) XSetInputFocus(c_->dpy, window_, RevertToPointerRoot, CurrentTime);
      return true;
    case DestroyNotify:
      if (ev.xdestroywindow.window == window_) {
        events->push_back({DisplayEvent::Kind::WindowGone});
      } else if (covers_.Covers(ev.xdestroywindow.window)) {
        // Another program destroyed a black window.
        covers_.Lost(ev.xdestroywindow.window, window_);
      }
      return true;
    case MappingNotify:
      XRefreshKeyboardMapping(const_cast<XMappingEvent*>(&ev.xmapping));
      return true;
    default:
      break;
  }
  if (ev.type == c_->shmCompletion) {
    image_->Taken();
    return true;
  }
  if (ev.type != c_->randrEvent) return false;
  XRRUpdateConfiguration(const_cast<XEvent*>(&ev));
  // The window follows the primary monitor: by itself without a window
  // manager, and on request with one, which keeps a full screen window on
  // whichever monitor it overlapped most. A window lent to us is its
  // owner's to move and to cover around.
  if (!lent_) {
    const Rect b = Monitors(*c_).front().bounds;
    XMoveResizeWindow(c_->dpy, window_, b.x, b.y, static_cast<unsigned>(b.w), static_cast<unsigned>(b.h));
    covers_.Cover(window_);
  }
  return true;
}

bool X11Display::Present(const DamageList& damage) {
  if (image_->Busy()) return false;
  const ImageView view = image_->View();
  if (!view.pixels) return true;
  const std::vector<Rect>& rects = damage.Rects();
  const auto shown = [&](std::size_t i) {
    return FrameCopier::ImageRect(rects[i].Intersect(frame_.Bounds()), fit_.scaling, view);
  };
  // The last rectangle that shows anything asks the server to say when it
  // has taken the present.
  std::size_t last = rects.size();
  for (std::size_t i = rects.size(); i-- > 0;)
    if (!shown(i).Empty()) {
      last = i;
      break;
    }
  for (std::size_t i = 0; i < rects.size() && last < rects.size(); ++i) {
    const Rect out = direct_ ? shown(i) : image_->Copier().Copy(frame_, rects[i], fit_.scaling, view);
    if (!out.Empty()) image_->Put(out, i == last);
  }
  XFlush(c_->dpy);
  return true;
}

void X11Display::PresentAll() {
  const ImageView view = image_->View();
  if (!view.pixels) return;
  if (!direct_) image_->Copier().Copy(frame_, frame_.Bounds(), fit_.scaling, view);
  // The whole window, so that what lies past the scaled frame is black too.
  image_->Put({0, 0, view.width, view.height}, true);
  XFlush(c_->dpy);
}

}  // namespace coderain
