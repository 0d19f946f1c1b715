#include "displays/wayland/wayland_display.h"

#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/run/screen_plan.h"
#include "wlr-layer-shell-unstable-v1-client.h"
#include "xdg-shell-client.h"

namespace coderain {

namespace {

// How long answers may take while the program starts.
constexpr int kStartTimeoutMs = 3000;
// A frame callback pending this long (a dozen frames) means the scene is
// not being shown (its output off, or covered): it rests, and the wait
// lasts until the compositor says something, so a scene nobody sees costs
// nothing.
constexpr auto kUnseenAfter = std::chrono::milliseconds(200);
constexpr std::int32_t kWhole = std::numeric_limits<std::int32_t>::max();

// Lets a seat's device go: released where the seat is new enough to say
// so, else only forgotten.
template <typename Device>
void Release(Device* device, void (*release)(Device*), void (*destroy)(Device*)) {
  if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(device)) >= 3)
    release(device);
  else
    destroy(device);
}

}  // namespace

// What the compositor says of a window of ours.
struct WaylandDisplay::WindowEvents {
  static Window& WindowOf(void* data) { return *static_cast<Window*>(data); }

  // A window configured, its size set.
  static void Configured(Window& w) {
    const bool first = !w.configured;
    w.configured = true;
    WaylandDisplay& d = *w.display;
    if (!d.shown_) return;
    if (!w.scene) {
      d.Cover(w);
    } else if (w.screen >= 0) {
      // A new size is fitted after the events; the same one is taken at
      // once, whole: a compositor may have shown only part of it where the
      // window was placed. A layer made anew has nothing to show yet.
      int width = 0, height = 0, scale = 1;
      d.SceneSize(w, &width, &height, &scale);
      if (NeedsRefit(d.Facts(w.screen), d.FactsFor(w, width, height, scale))) return;
      if (first) {
        d.PresentAll(w.screen);
      } else {
        wl_surface_damage_buffer(w.surface, 0, 0, kWhole, kWhole);
        wl_surface_commit(w.surface);
      }
    }
  }

  static constexpr xdg_surface_listener kSurface = {
      .configure =
          [](void* data, xdg_surface* xdg, std::uint32_t serial) {
            xdg_surface_ack_configure(xdg, serial);
            Configured(WindowOf(data));
          },
  };

  static constexpr zwlr_layer_surface_v1_listener kLayer = {
      .configure =
          [](void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
             std::uint32_t height) {
            Window& w = WindowOf(data);
            zwlr_layer_surface_v1_ack_configure(layer, serial);
            w.width = static_cast<int>(width);
            w.height = static_cast<int>(height);
            Configured(w);
          },
      .closed = [](void* data, zwlr_layer_surface_v1*) { WindowOf(data).closed = true; },
  };

  static constexpr xdg_toplevel_listener kToplevel = {
      .configure =
          [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array* states) {
            Window& w = WindowOf(data);
            w.width = width;
            w.height = height;
            const std::span<const std::uint32_t> all(static_cast<const std::uint32_t*>(states->data),
                                                     states->size / sizeof(std::uint32_t));
            w.fullscreen = std::find(all.begin(), all.end(), XDG_TOPLEVEL_STATE_FULLSCREEN) != all.end();
            // Full screen taken away (another program asked for it): the
            // scene asks again once it is shown, not while it is hidden,
            // so that two never take it from each other for ever.
            if (w.scene && !w.fullscreen && w.display->shown_) w.askFullscreen = true;
          },
      .close = [](void* data, xdg_toplevel*) { WindowOf(data).display->closeRequested_ = true; },
      // Not sent at the version bound.
      .configure_bounds = nullptr,
      .wm_capabilities = nullptr,
  };

  static constexpr wl_callback_listener kFrame = {
      .done =
          [](void* data, wl_callback* callback, std::uint32_t) {
            Window& w = WindowOf(data);
            if (callback == w.frameCallback) w.frameCallback = nullptr;
            wl_callback_destroy(callback);
            if (w.unseen) {
              w.unseen = false;
              w.display->arrived_.push_back({DisplayEvent::Kind::Seen, w.screen});
            }
            if (w.askFullscreen) {
              w.askFullscreen = false;
              if (const WaylandOutput* o = w.display->c_->FindOutput(w.output))
                xdg_toplevel_set_fullscreen(w.toplevel, o->output);
            }
          },
  };
};

// The seat's keyboard and pointer, as they come and go.
struct WaylandDisplay::SeatEvents {
  static WaylandDisplay& Of(void* data) { return *static_cast<WaylandDisplay*>(data); }

  static constexpr wl_keyboard_listener kKeyboard = {
      .keymap = [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); },
      .enter =
          [](void* data, wl_keyboard*, std::uint32_t, wl_surface*, wl_array* keys) {
            const std::span<const std::uint32_t> held(static_cast<const std::uint32_t*>(keys->data),
                                                      keys->size / sizeof(std::uint32_t));
            Of(data).input_.KeyboardEntered(held, &Of(data).arrived_);
          },
      .leave = [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
      .key =
          [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state) {
            Of(data).input_.Key(key, state == WL_KEYBOARD_KEY_STATE_PRESSED, &Of(data).arrived_);
          },
      .modifiers = [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                      std::uint32_t) {},
      .repeat_info = [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
  };

  static constexpr wl_pointer_listener kPointer = {
      .enter =
          [](void* data, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
            WaylandDisplay& d = Of(data);
            d.pointerOn_ = nullptr;
            for (const auto& w : d.scenes_)
              if (w->surface == surface && w->screen >= 0) d.pointerOn_ = w.get();
            d.input_.PointerAt(d.pointerOn_ ? WaylandInput::Surface::Scene : WaylandInput::Surface::Cover,
                               wl_fixed_to_double(x), wl_fixed_to_double(y));
          },
      .leave = [](void*, wl_pointer*, std::uint32_t, wl_surface*) {},
      .motion = [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x,
                   wl_fixed_t y) { Of(data).input_.PointerMoved(wl_fixed_to_double(x), wl_fixed_to_double(y)); },
      .button =
          [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
            WaylandDisplay& d = Of(data);
            const bool pressed = state == WL_POINTER_BUTTON_STATE_PRESSED;
            if (d.pointerOn_) {
              Window& w = *d.pointerOn_;
              d.input_.Button(pressed, w.screen, d.Fit(w.screen), w.bufferScale, &d.arrived_);
            } else {
              d.arrived_.push_back(BareScreenButton(pressed, d.Screens()));
            }
          },
      // The wheel turns; it does not click.
      .axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
      .frame = [](void*, wl_pointer*) {},
      .axis_source = [](void*, wl_pointer*, std::uint32_t) {},
      .axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
      .axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
      .axis_value120 = nullptr,  // not sent at the version bound
  };

  static constexpr wl_seat_listener kSeat = {
      .capabilities =
          [](void* data, wl_seat* seat, std::uint32_t caps) {
            WaylandDisplay& d = Of(data);
            const bool keyboard = caps & WL_SEAT_CAPABILITY_KEYBOARD, pointer = caps & WL_SEAT_CAPABILITY_POINTER;
            if (keyboard && !d.keyboard_) {
              d.keyboard_ = wl_seat_get_keyboard(seat);
              wl_keyboard_add_listener(d.keyboard_, &kKeyboard, &d);
            } else if (!keyboard && d.keyboard_) {
              Release(d.keyboard_, wl_keyboard_release, wl_keyboard_destroy);
              d.keyboard_ = nullptr;
            }
            if (pointer && !d.pointer_) {
              d.pointer_ = wl_seat_get_pointer(seat);
              wl_pointer_add_listener(d.pointer_, &kPointer, &d);
            } else if (!pointer && d.pointer_) {
              Release(d.pointer_, wl_pointer_release, wl_pointer_destroy);
              d.pointer_ = nullptr;
            }
          },
      .name = [](void*, wl_seat*, const char*) {},
  };
};

WaylandDisplay::Window::~Window() {
  if (frameCallback) wl_callback_destroy(frameCallback);
  if (toplevel) xdg_toplevel_destroy(toplevel);
  if (xdg) xdg_surface_destroy(xdg);
  if (layer) zwlr_layer_surface_v1_destroy(layer);
  if (surface) wl_surface_destroy(surface);
}

WaylandDisplay::WaylandDisplay(std::unique_ptr<WaylandConnection> c, const LaunchRequest& request)
    : PolledDisplay(ModeOf(request.mode)), c_(std::move(c)), request_(request) {
  c_->onOutputGone = [](void* data, std::uint32_t id) { static_cast<WaylandDisplay*>(data)->OutputGone(id); };
  c_->onOutputGoneData = this;
}

WaylandDisplay::~WaylandDisplay() {
  if (keyboard_) Release(keyboard_, wl_keyboard_release, wl_keyboard_destroy);
  if (pointer_) Release(pointer_, wl_pointer_release, wl_pointer_destroy);
}

std::unique_ptr<WaylandDisplay> WaylandDisplay::Open(const LaunchRequest& request, bool* answered, std::string* error) {
  *answered = false;
  std::unique_ptr<WaylandConnection> c = WaylandConnection::Connect(kStartTimeoutMs, error);
  if (!c) return nullptr;
  // A wallpaper needs the background layer, not xdg's windows.
  const bool below = ModeOf(request.mode).belowWindows;
  std::string lacks;
  for (const auto& [have, name] :
       {std::pair{c->compositor != nullptr, "wl_compositor 4"}, std::pair{c->shm != nullptr, "wl_shm"},
        std::pair{below || c->wmBase != nullptr, "xdg_wm_base"}})
    if (!have) lacks += (lacks.empty() ? "" : ", ") + std::string(name);
  if (!lacks.empty()) {
    *error = "the Wayland compositor offers no " + lacks;
    return nullptr;
  }
  *answered = true;
  if (below && !c->layerShell) {
    *error =
        "the Wayland compositor has no background layer (zwlr_layer_shell_v1) for --wallpaper: use one that has "
        "(sway, KDE), or run coderain without --wallpaper";
    return nullptr;
  }
  std::vector<std::string> names;
  for (const auto& o : c->Outputs()) names.push_back(o->name);
  if (*error = MissingOutput(names, request); !error->empty()) return nullptr;
  std::unique_ptr<WaylandDisplay> d(new WaylandDisplay(std::move(c), request));
  WaylandConnection& w = *d->c_;
  // Below the windows, keys and clicks are the desktop's.
  if (w.seat && !below) wl_seat_add_listener(w.seat, &SeatEvents::kSeat, d.get());
  // The scenes first; the covers once they are configured.
  for (std::uint32_t output : d->Plan(0).added) d->scenes_.push_back(d->OpenWindow(output, true));
  // The first configure says a window's size; nothing may be shown before
  // it.
  if (!w.Roundtrip(kStartTimeoutMs) ||
      !std::all_of(d->scenes_.begin(), d->scenes_.end(), [](const auto& s) { return s->configured; })) {
    *error = "cannot create the window: " +
             (w.Dispatch(0) ? std::string("the compositor does not configure it") : w.LostReason());
    return nullptr;
  }
  std::vector<DisplayEvent> events;
  d->FollowOutputs(&events);
  for (const DisplayEvent& e : events)
    if (e.kind == DisplayEvent::Kind::Failed) {
      *error = e.text;
      return nullptr;
    }
  return d;
}

std::unique_ptr<WaylandDisplay::Window> WaylandDisplay::OpenWindow(std::uint32_t output, bool scene) {
  auto w = std::make_unique<Window>();
  w->display = this;
  w->output = output;
  w->scene = scene;
  w->surface = wl_compositor_create_surface(c_->compositor);
  if (ModeOf(request_.mode).belowWindows)
    OpenLayer(*w);
  else
    OpenToplevel(*w);
  wl_surface_commit(w->surface);
  return w;
}

void WaylandDisplay::OpenToplevel(Window& w) {
  w.xdg = xdg_wm_base_get_xdg_surface(c_->wmBase, w.surface);
  xdg_surface_add_listener(w.xdg, &WindowEvents::kSurface, &w);
  w.toplevel = xdg_surface_get_toplevel(w.xdg);
  xdg_toplevel_add_listener(w.toplevel, &WindowEvents::kToplevel, &w);
  xdg_toplevel_set_title(w.toplevel, w.scene ? kSceneTitle : kCoverTitle);
  xdg_toplevel_set_app_id(w.toplevel, "coderain");
  const WaylandOutput* o = c_->FindOutput(w.output);
  xdg_toplevel_set_fullscreen(w.toplevel, o ? o->output : nullptr);
}

void WaylandDisplay::OpenLayer(Window& w) {
  const WaylandOutput* o = c_->FindOutput(w.output);
  w.layer = zwlr_layer_shell_v1_get_layer_surface(c_->layerShell, w.surface, o ? o->output : nullptr,
                                                  ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, "coderain");
  zwlr_layer_surface_v1_add_listener(w.layer, &WindowEvents::kLayer, &w);
  // The whole output, whatever others keep for themselves (a bar), at
  // the size the compositor says.
  zwlr_layer_surface_v1_set_anchor(w.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_exclusive_zone(w.layer, -1);
  zwlr_layer_surface_v1_set_keyboard_interactivity(w.layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
  // An empty input region: clicks reach the desktop.
  wl_region* none = wl_compositor_create_region(c_->compositor);
  wl_surface_set_input_region(w.surface, none);
  wl_region_destroy(none);
}

void WaylandDisplay::MoveWindow(Window& w, std::uint32_t output) {
  w.output = output;
  if (w.toplevel) {
    xdg_toplevel_set_fullscreen(w.toplevel, c_->FindOutput(output)->output);
    return;
  }
  if (w.frameCallback) wl_callback_destroy(w.frameCallback);
  w.frameCallback = nullptr;
  zwlr_layer_surface_v1_destroy(w.layer);
  wl_surface_destroy(w.surface);
  w.surface = wl_compositor_create_surface(c_->compositor);
  w.configured = false;
  w.closed = false;
  OpenLayer(w);
  wl_surface_set_buffer_scale(w.surface, w.bufferScale);
  wl_surface_commit(w.surface);
}

WaylandDisplay::Window* WaylandDisplay::SceneWindow(int screen) const {
  for (const auto& w : scenes_)
    if (w->screen == screen) return w.get();
  return nullptr;
}

OutputPlan WaylandDisplay::Plan(std::uint32_t gone) const {
  std::vector<OutputById> outputs;
  for (const auto& o : c_->Outputs())
    if (o->id != gone && std::find(closedOn_.begin(), closedOn_.end(), o->id) == closedOn_.end())
      outputs.push_back({o->id, o->name, o->ready});
  std::vector<std::uint32_t> on;
  for (const auto& w : scenes_) on.push_back(w->output);
  return PlanOutputs(outputs, on, request_);
}

void WaylandDisplay::DropPlanned(const OutputPlan& plan) {
  std::erase_if(covers_, [&](const auto& w) {
    return std::find(plan.covered.begin(), plan.covered.end(), w->output) == plan.covered.end();
  });
  for (auto i = plan.removed.rbegin(); i != plan.removed.rend(); ++i) {
    Window* w = scenes_[*i].get();
    if (pointerOn_ == w) pointerOn_ = nullptr;
    if (w->screen >= 0) {
      RemoveScreen(w->screen);
      arrived_.push_back({DisplayEvent::Kind::ScreenRemoved, w->screen});
    }
    scenes_.erase(scenes_.begin() + static_cast<std::ptrdiff_t>(*i));
  }
}

void WaylandDisplay::OutputGone(std::uint32_t id) {
  // What goes, goes now; nothing may keep an output that is gone.
  DropPlanned(Plan(id));
  std::erase(closedOn_, id);
  for (const auto& w : scenes_)
    if (w->output == id) w->output = 0;
}

void WaylandDisplay::FollowOutputs(std::vector<DisplayEvent>* events) {
  const OutputPlan plan = Plan(0);
  for (const OutputPlan::Move& m : plan.moves) MoveWindow(*scenes_[m.scene], m.to);
  DropPlanned(plan);
  for (std::uint32_t output : plan.added) scenes_.push_back(OpenWindow(output, true));
  for (std::uint32_t output : plan.covered)
    if (std::none_of(covers_.begin(), covers_.end(), [&](const auto& w) { return w->output == output; }))
      covers_.push_back(OpenWindow(output, false));
  FitScenes(events);
}

void WaylandDisplay::DropClosed(std::vector<DisplayEvent>* events) {
  if (std::none_of(scenes_.begin(), scenes_.end(), [](const auto& w) { return w->closed; })) return;
  // A compositor closes the layers of an output that goes: its removal,
  // sent with the close, is heard first, and the output followed as one
  // unplugged.
  c_->Roundtrip(kStartTimeoutMs);
  bool closed = false;
  for (const auto& w : scenes_)
    if (w->closed) {
      closed = true;
      if (w->output != 0) closedOn_.push_back(w->output);
    }
  DropPlanned(Plan(0));
  // One the compositor placed itself is no output's.
  for (std::size_t i = scenes_.size(); i-- > 0;)
    if (scenes_[i]->closed) {
      if (const int screen = scenes_[i]->screen; screen >= 0) {
        RemoveScreen(screen);
        arrived_.push_back({DisplayEvent::Kind::ScreenRemoved, screen});
      }
      scenes_.erase(scenes_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  if (closed && scenes_.empty()) events->push_back({DisplayEvent::Kind::WindowGone});
}

void WaylandDisplay::FitScenes(std::vector<DisplayEvent>* events) {
  for (const auto& wp : scenes_) {
    Window& w = *wp;
    if (!SizeKnown(w)) continue;
    int width = 0, height = 0, scale = 1;
    SceneSize(w, &width, &height, &scale);
    const OutputFacts facts = FactsFor(w, width, height, scale);
    if (w.screen >= 0 && !NeedsRefit(Facts(w.screen), facts)) continue;
    std::optional<DisplayEvent> e;
    if (w.screen < 0) {
      std::string error;
      const int screen = nextScreen_;
      w.screen = screen;
      if (AddScreen(screen, facts, &error)) {
        ++nextScreen_;
        e = DisplayEvent{DisplayEvent::Kind::ScreenAdded, screen};
      } else {
        w.screen = -1;
        e = DisplayEvent{DisplayEvent::Kind::Failed};
        e->text = error;
      }
    } else {
      e = Refit(w.screen, facts);
    }
    if (e && e->kind != DisplayEvent::Kind::Failed) {
      w.bufferScale = scale;
      wl_surface_set_buffer_scale(w.surface, scale);
      // The new scene goes up whole, whatever the compositor still shows;
      // it is seen until its own frame fails to come.
      if (w.frameCallback) wl_callback_destroy(w.frameCallback);
      w.frameCallback = nullptr;
      if (std::exchange(w.unseen, false) && w.screen >= 0) arrived_.push_back({DisplayEvent::Kind::Seen, w.screen});
    }
    if (e) events->push_back(std::move(*e));
  }
}

void WaylandDisplay::Cover(Window& w) {
  const WaylandOutput* o = c_->FindOutput(w.output);
  const int width = std::max(1, w.width > 0 ? w.width : o ? o->LogicalWidth() : 1);
  const int height = std::max(1, w.height > 0 ? w.height : o ? o->LogicalHeight() : 1);
  // At the output's own pixels, so that the compositor has nothing to scale.
  const int scale = o ? o->scale : 1;
  if (!w.black || w.black->Width() != width * scale || w.black->Height() != height * scale) {
    std::string error;
    w.black = ShmBuffer::Create(c_->shm, width * scale, height * scale, &error, ShmBuffer::Use::Unmapped);
    // Without the memory the output shows what it would without us.
    if (!w.black) return;
  }
  wl_surface_set_buffer_scale(w.surface, scale);
  wl_surface_attach(w.surface, w.black->Buffer(), 0, 0);
  wl_surface_damage_buffer(w.surface, 0, 0, kWhole, kWhole);
  wl_surface_commit(w.surface);
}

bool WaylandDisplay::SizeKnown(const Window& w) const {
  // A size of 0 leaves it to us, and the output's is ours only once the
  // output has said it: a scene is laid out once, at its own size.
  const WaylandOutput* o = c_->FindOutput(w.output);
  return w.configured && (w.width > 0 || !o || (o->ready && o->width > 0));
}

void WaylandDisplay::SceneSize(const Window& w, int* width, int* height, int* scale) const {
  const WaylandOutput* o = c_->FindOutput(w.output);
  *scale = o ? o->scale : 1;
  // A size of 0 leaves it to us: the output's, else the least the layout
  // is made for.
  *width = std::max(1, w.width > 0 ? w.width : o && o->LogicalWidth() > 0 ? o->LogicalWidth() : kMinSceneWidth);
  *height = std::max(1, w.height > 0 ? w.height : o && o->LogicalHeight() > 0 ? o->LogicalHeight() : kMinSceneHeight);
}

OutputFacts WaylandDisplay::FactsFor(const Window& w, int width, int height, int scale) const {
  const WaylandOutput* o = c_->FindOutput(w.output);
  return WindowFacts(request_, width * scale, height * scale, kBaseDpi * scale, o ? o->refreshHz : 0);
}

PixelLayout WaylandDisplay::Layout(int) const { return PixelLayout{}; }

int WaylandDisplay::ImageCount(int) const { return 2; }

bool WaylandDisplay::MakeImages(int screen, int width, int height, std::string* error) {
  Window& w = *SceneWindow(screen);
  std::unique_ptr<ShmBuffer> buffers[2];
  for (auto& b : buffers)
    if (!(b = ShmBuffer::Create(c_->shm, width, height, error))) return false;
  for (int i = 0; i < 2; ++i) w.buffers[i] = std::move(buffers[i]);
  w.lastCommitted = 0;
  return true;
}

ImageView WaylandDisplay::Image(int screen, int index) const { return SceneWindow(screen)->buffers[index]->View(); }

int WaylandDisplay::FreeImage(int screen) {
  const Window& w = *SceneWindow(screen);
  if (w.frameCallback || !w.configured) return -1;
  // The buffer shown last has the least to catch up on.
  for (int i : {w.lastCommitted, 1 - w.lastCommitted})
    if (!w.buffers[i]->Busy()) return i;
  return -1;
}

bool WaylandDisplay::Held(int screen, int index) const { return SceneWindow(screen)->buffers[index]->Busy(); }

void WaylandDisplay::Send(int screen, int index, std::span<const Rect> rects, bool whole) {
  Window& w = *SceneWindow(screen);
  ShmBuffer& buffer = *w.buffers[index];
  // Each attach has a release of its own: one held is not attached again.
  assert(!buffer.Busy());
  wl_surface_attach(w.surface, buffer.Buffer(), 0, 0);
  if (whole) {
    wl_surface_damage_buffer(w.surface, 0, 0, buffer.Width(), buffer.Height());
  } else {
    for (const Rect& r : rects) wl_surface_damage_buffer(w.surface, r.x, r.y, r.w, r.h);
  }
  w.frameCallback = wl_surface_frame(w.surface);
  wl_callback_add_listener(w.frameCallback, &WindowEvents::kFrame, &w);
  w.frameAsked = std::chrono::steady_clock::now();
  wl_surface_commit(w.surface);
  buffer.Attached();
  w.lastCommitted = index;
}

void WaylandDisplay::Show() {
  shown_ = true;
  for (const auto& w : covers_)
    if (w->configured) Cover(*w);
  for (const auto& w : scenes_) {
    if (w->screen >= 0) PresentAll(w->screen);
    // Asked again once shown: a compositor may place a window mapped full
    // screen on an output it does not focus as if it were tiled.
    if (const WaylandOutput* o = c_->FindOutput(w->output); o && w->toplevel)
      xdg_toplevel_set_fullscreen(w->toplevel, o->output);
  }
}

PolledDisplay::WaitOn WaylandDisplay::PrepareWait() {
  WaitOn on;
  bool dispatched = false;
  const bool live = c_->PrepareWait(&on.events, &dispatched);
  on.fd = c_->Fd();
  on.ready = !live || dispatched || closeRequested_ || !arrived_.empty();
  // Nobody sees any scene: the wait is the compositor's.
  on.unseen = !scenes_.empty() &&
              std::all_of(scenes_.begin(), scenes_.end(), [](const auto& w) { return w->screen >= 0 && w->unseen; });
  return on;
}

bool WaylandDisplay::AwaitsDisplay(int screen) const {
  // The frame callback, or the release of a buffer, wakes the driver.
  const Window* w = SceneWindow(screen);
  return w && w->buffers[0] && (w->frameCallback || (w->buffers[0]->Busy() && w->buffers[1]->Busy()));
}

void WaylandDisplay::WatchFrames(std::vector<DisplayEvent>* events) {
  const auto now = std::chrono::steady_clock::now();
  for (const auto& w : scenes_) {
    if (w->screen < 0 || w->unseen || !w->frameCallback || now - w->frameAsked <= kUnseenAfter) continue;
    w->unseen = true;
    events->push_back({DisplayEvent::Kind::Unseen, w->screen});
  }
}

void WaylandDisplay::Dispatch(short revents, std::vector<DisplayEvent>* events) {
  if (!c_->AfterWait(revents)) {
    DisplayEvent e{DisplayEvent::Kind::Failed};
    e.text = c_->LostReason();
    events->push_back(std::move(e));
    return;
  }
  if (closeRequested_) {
    closeRequested_ = false;
    events->push_back({DisplayEvent::Kind::CloseRequested});
  }
  const std::size_t first = events->size();
  DropClosed(events);
  FollowOutputs(events);
  for (DisplayEvent& e : arrived_) events->push_back(std::move(e));
  arrived_.clear();
  WatchFrames(events);
  FitsFirst(events, first);
}

const DisplayRow<PolledDisplay>& WaylandDisplayRow() {
  static const DisplayRow<PolledDisplay> row{
      "wayland",
      [](const LaunchRequest& request) {
        // --display and the lent windows mean X11.
        if (!ModeOf(request.mode).ownsWindows || !request.display.empty()) return Probe::Excluded;
        const char* named = std::getenv("WAYLAND_DISPLAY");
        return (named && *named) || WaylandConnection::UsualSocketThere() ? Probe::Named : Probe::NotNamed;
      },
      nullptr,
      true,
      [](const LaunchRequest& request, bool* answered, std::string* error) -> std::unique_ptr<PolledDisplay> {
        return WaylandDisplay::Open(request, answered, error);
      },
  };
  return row;
}

}  // namespace coderain
