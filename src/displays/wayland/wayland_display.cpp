#include "displays/wayland/wayland_display.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>

#include "xdg-shell-client.h"

namespace coderain {

namespace {

// How long answers may take while the program starts.
constexpr int kStartTimeoutMs = 3000;
// A frame callback pending this long means the scene is not being shown
// (its output off, or hidden): the wait then lasts until the compositor
// says something, so a scene nobody sees costs nothing.
constexpr auto kUnseenAfter = std::chrono::milliseconds(250);
// Past this many rectangles a buffer's missed ones fold into their bounds:
// a few presents' worth, as a buffer the compositor holds for long misses
// many. Folding sooner would copy most of the frame where two presents of
// scattered rectangles were due.
constexpr std::size_t kMaxStale = 4 * DamageList::kMaxRects;

void Fold(std::vector<Rect>* rects) {
  if (rects->size() <= kMaxStale) return;
  Rect all;
  for (const Rect& r : *rects) all = all.Union(r);
  *rects = {all};
}

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

struct WaylandDisplay::Events {
  static WaylandDisplay& Of(void* data) { return *static_cast<WaylandDisplay*>(data); }

  static constexpr xdg_surface_listener kSurface = {
      .configure =
          [](void* data, xdg_surface* xdg, std::uint32_t serial) {
            Window& w = *static_cast<Window*>(data);
            xdg_surface_ack_configure(xdg, serial);
            w.configured = true;
            WaylandDisplay& d = *w.display;
            if (!d.shown_) return;
            if (&w != d.scene_.get()) {
              d.Cover(w);
            } else {
              // A new size is fitted after the events; the same one is
              // taken at once, whole: a compositor may have shown only
              // part of it where the window was placed.
              int width = 0, height = 0, scale = 1;
              d.SceneSize(&width, &height, &scale);
              if (width == d.fittedWidth_ && height == d.fittedHeight_ && scale == d.bufferScale_) {
                wl_surface_damage_buffer(w.surface, 0, 0, std::numeric_limits<std::int32_t>::max(),
                                         std::numeric_limits<std::int32_t>::max());
                wl_surface_commit(w.surface);
              }
            }
          },
  };

  static constexpr xdg_toplevel_listener kToplevel = {
      .configure =
          [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
            Window& w = *static_cast<Window*>(data);
            w.width = width;
            w.height = height;
          },
      .close = [](void* data, xdg_toplevel*) { static_cast<Window*>(data)->display->closeRequested_ = true; },
      // Not sent at the version bound.
      .configure_bounds = nullptr,
      .wm_capabilities = nullptr,
  };

  static constexpr wl_callback_listener kFrame = {
      .done =
          [](void* data, wl_callback* callback, std::uint32_t) {
            WaylandDisplay& d = Of(data);
            if (callback == d.frameCallback_) d.frameCallback_ = nullptr;
            wl_callback_destroy(callback);
          },
  };

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
            const bool scene = d.scene_ && surface == d.scene_->surface;
            d.input_.PointerAt(scene ? WaylandInput::Surface::Scene : WaylandInput::Surface::Cover,
                               wl_fixed_to_double(x), wl_fixed_to_double(y));
          },
      .leave = [](void*, wl_pointer*, std::uint32_t, wl_surface*) {},
      .motion = [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x,
                   wl_fixed_t y) { Of(data).input_.PointerMoved(wl_fixed_to_double(x), wl_fixed_to_double(y)); },
      .button =
          [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
            WaylandDisplay& d = Of(data);
            d.input_.Button(state == WL_POINTER_BUTTON_STATE_PRESSED, d.fit_, d.bufferScale_, &d.arrived_);
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
  if (toplevel) xdg_toplevel_destroy(toplevel);
  if (xdg) xdg_surface_destroy(xdg);
  if (surface) wl_surface_destroy(surface);
}

WaylandDisplay::WaylandDisplay(std::unique_ptr<WaylandConnection> c, const CloseSignals* signals,
                               const LaunchRequest& request)
    : c_(std::move(c)), signals_(*signals), requestedScale_(request.scale), wantedOutput_(request.output) {
  c_->onOutputGone = [](void* data, std::uint32_t id) { static_cast<WaylandDisplay*>(data)->OutputGone(id); };
  c_->onOutputGoneData = this;
}

WaylandDisplay::~WaylandDisplay() {
  if (frameCallback_) wl_callback_destroy(frameCallback_);
  if (keyboard_) Release(keyboard_, wl_keyboard_release, wl_keyboard_destroy);
  if (pointer_) Release(pointer_, wl_pointer_release, wl_pointer_destroy);
}

std::unique_ptr<WaylandDisplay> WaylandDisplay::Open(const LaunchRequest& request, const CloseSignals* signals,
                                                     std::string* error) {
  std::unique_ptr<WaylandConnection> c = WaylandConnection::Connect(kStartTimeoutMs, error);
  if (!c) return nullptr;
  std::string lacks;
  for (const auto& [have, name] :
       {std::pair{c->compositor != nullptr, "wl_compositor 4"}, std::pair{c->shm != nullptr, "wl_shm"},
        std::pair{c->wmBase != nullptr, "xdg_wm_base"}})
    if (!have) lacks += (lacks.empty() ? "" : ", ") + std::string(name);
  if (!lacks.empty()) {
    *error = "cannot open the display: the Wayland compositor offers no " + lacks;
    return nullptr;
  }
  if (!request.output.empty()) {
    std::string names;
    bool found = false;
    for (const auto& o : c->Outputs()) {
      found = found || o->name == request.output;
      names += (names.empty() ? "" : ", ") + Printable(o->name);
    }
    if (!found) {
      *error = "--output " + Printable(request.output) + ": no such output (there " +
               (names.empty() ? std::string("are none") : "are " + names) + ")";
      return nullptr;
    }
  }
  std::unique_ptr<WaylandDisplay> d(new WaylandDisplay(std::move(c), signals, request));
  WaylandConnection& w = *d->c_;
  if (w.seat) wl_seat_add_listener(w.seat, &Events::kSeat, d.get());
  d->scene_ = d->OpenWindow(d->SceneOutput(), "Form1");
  // The first configure says the window's size; nothing may be shown
  // before it.
  if (!w.Roundtrip(kStartTimeoutMs) || !d->scene_->configured) {
    *error = "cannot create the window: " +
             (w.Dispatch(0, -1) ? std::string("the compositor does not configure it") : w.LostReason());
    return nullptr;
  }
  d->FollowOutputs();
  int width = 0, height = 0, scale = 1;
  d->SceneSize(&width, &height, &scale);
  if (!d->FitTo(width, height, scale, error)) return nullptr;
  return d;
}

std::unique_ptr<WaylandDisplay::Window> WaylandDisplay::OpenWindow(std::uint32_t output, const char* title) {
  auto w = std::make_unique<Window>();
  w->display = this;
  w->output = output;
  w->surface = wl_compositor_create_surface(c_->compositor);
  w->xdg = xdg_wm_base_get_xdg_surface(c_->wmBase, w->surface);
  xdg_surface_add_listener(w->xdg, &Events::kSurface, w.get());
  w->toplevel = xdg_surface_get_toplevel(w->xdg);
  xdg_toplevel_add_listener(w->toplevel, &Events::kToplevel, w.get());
  xdg_toplevel_set_title(w->toplevel, title);
  xdg_toplevel_set_app_id(w->toplevel, "coderain");
  const WaylandOutput* o = c_->FindOutput(output);
  xdg_toplevel_set_fullscreen(w->toplevel, o ? o->output : nullptr);
  wl_surface_commit(w->surface);
  return w;
}

std::uint32_t WaylandDisplay::SceneOutput() const {
  const auto& outputs = c_->Outputs();
  for (const auto& o : outputs)
    if (!wantedOutput_.empty() && o->name == wantedOutput_) return o->id;
  if (scene_ && c_->FindOutput(scene_->output)) return scene_->output;
  for (const auto& o : outputs)
    if (o->ready) return o->id;
  return 0;
}

void WaylandDisplay::OutputGone(std::uint32_t id) {
  // Nothing may keep an output that is gone.
  std::erase_if(covers_, [id](const auto& w) { return w->output == id; });
  if (scene_ && scene_->output == id) scene_->output = 0;
}

void WaylandDisplay::FollowOutputs() {
  const std::uint32_t want = SceneOutput();
  if (want != 0 && want != scene_->output) {
    scene_->output = want;
    xdg_toplevel_set_fullscreen(scene_->toplevel, c_->FindOutput(want)->output);
  }
  std::erase_if(covers_, [this](const auto& w) { return w->output == scene_->output; });
  for (const auto& o : c_->Outputs()) {
    o->changed = false;
    if (!o->ready || o->id == scene_->output) continue;
    if (std::none_of(covers_.begin(), covers_.end(), [&](const auto& w) { return w->output == o->id; }))
      covers_.push_back(OpenWindow(o->id, "coderain"));
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
  wl_surface_damage_buffer(w.surface, 0, 0, std::numeric_limits<std::int32_t>::max(),
                           std::numeric_limits<std::int32_t>::max());
  wl_surface_commit(w.surface);
}

void WaylandDisplay::SceneSize(int* width, int* height, int* scale) const {
  const WaylandOutput* o = c_->FindOutput(scene_->output);
  *scale = o ? o->scale : 1;
  // A size of 0 leaves it to us: the output's, else the least the layout
  // is made for.
  *width = std::max(1, scene_->width > 0 ? scene_->width : o && o->LogicalWidth() > 0 ? o->LogicalWidth() : 1024);
  *height = std::max(1, scene_->height > 0 ? scene_->height : o && o->LogicalHeight() > 0 ? o->LogicalHeight() : 768);
}

bool WaylandDisplay::FitTo(int width, int height, int scale, std::string* error) {
  const WaylandOutput* o = c_->FindOutput(scene_->output);
  OutputFacts facts;
  facts.width = width * scale;
  facts.height = height * scale;
  facts.dpi = 96.0 * scale;
  facts.requestedScale = requestedScale_;
  facts.refreshHz = o ? o->refreshHz : 0;
  const OutputFit fit = FitOutput(facts);
  Bitmap frame;
  if (!Bitmap::Allocate(std::max(1, fit.sceneWidth), std::max(1, fit.sceneHeight), &frame)) {
    *error =
        "not enough memory for a " + std::to_string(fit.sceneWidth) + "x" + std::to_string(fit.sceneHeight) + " image";
    return false;
  }
  std::unique_ptr<ShmBuffer> buffers[2];
  for (auto& b : buffers)
    if (!(b = ShmBuffer::Create(c_->shm, facts.width, facts.height, error))) return false;
  for (int i = 0; i < 2; ++i) buffers_[i] = std::move(buffers[i]);
  frame_ = std::move(frame);
  fit_ = fit;
  bufferScale_ = scale;
  fittedWidth_ = width;
  fittedHeight_ = height;
  wl_surface_set_buffer_scale(scene_->surface, scale);
  // The new scene goes up whole, whatever the compositor still shows.
  if (frameCallback_) wl_callback_destroy(frameCallback_);
  frameCallback_ = nullptr;
  return true;
}

void WaylandDisplay::Show() {
  shown_ = true;
  for (const auto& w : covers_)
    if (w->configured) Cover(*w);
  PresentAll();
  // Asked again once shown: a compositor may place a window mapped full
  // screen on an output it does not focus as if it were tiled.
  if (const WaylandOutput* o = c_->FindOutput(scene_->output)) xdg_toplevel_set_fullscreen(scene_->toplevel, o->output);
}

ShmBuffer* WaylandDisplay::FreeBuffer() {
  // The buffer shown last has the least to catch up on.
  for (ShmBuffer* b : {buffers_[lastCommitted_].get(), buffers_[1 - lastCommitted_].get()})
    if (!b->Busy()) return b;
  return nullptr;
}

void WaylandDisplay::Commit(ShmBuffer& buffer, const std::vector<Rect>& rects) {
  for (const auto& b : buffers_) {
    for (const Rect& r : rects) b->stale.push_back(r.Intersect(frame_.Bounds()));
    Fold(&b->stale);
  }
  const ImageView view = buffer.View();
  for (const Rect& r : buffer.stale) copier_.Copy(frame_, r, fit_.scaling, view);
  buffer.stale.clear();
  wl_surface_attach(scene_->surface, buffer.Buffer(), 0, 0);
  if (wholePending_) {
    wl_surface_damage_buffer(scene_->surface, 0, 0, view.width, view.height);
    wholePending_ = false;
  } else {
    for (const Rect& r : rects)
      if (const Rect out = FrameCopier::ImageRect(r, fit_.scaling, view); !out.Empty())
        wl_surface_damage_buffer(scene_->surface, out.x, out.y, out.w, out.h);
  }
  frameCallback_ = wl_surface_frame(scene_->surface);
  wl_callback_add_listener(frameCallback_, &Events::kFrame, this);
  frameAsked_ = std::chrono::steady_clock::now();
  wl_surface_commit(scene_->surface);
  buffer.Attached();
  lastCommitted_ = &buffer == buffers_[0].get() ? 0 : 1;
  wl_display_flush(c_->display);
}

bool WaylandDisplay::Present(const DamageList& damage) {
  if (!shown_) return true;
  if (frameCallback_) return false;
  ShmBuffer* b = FreeBuffer();
  if (!b) return false;
  Commit(*b, damage.Rects());
  return true;
}

void WaylandDisplay::PresentAll() {
  if (!shown_) return;
  for (const auto& b : buffers_) b->stale = {frame_.Bounds()};
  wholePending_ = true;
  if (ShmBuffer* b = FreeBuffer()) Commit(*b, {});
}

void WaylandDisplay::Wait(int timeoutMs, std::vector<DisplayEvent>* events) {
  const bool unseen = frameCallback_ && std::chrono::steady_clock::now() - frameAsked_ > kUnseenAfter;
  const bool live = c_->Dispatch(!arrived_.empty() ? 0 : unseen ? -1 : timeoutMs, signals_.Fd());
  if (signals_.Requested() != 0 && !closeSent_) {
    closeSent_ = true;
    DisplayEvent e{DisplayEvent::Kind::CloseRequested};
    e.signal = signals_.Requested();
    events->push_back(e);
  }
  if (!live) {
    DisplayEvent e{DisplayEvent::Kind::Failed};
    e.text = c_->LostReason();
    events->push_back(std::move(e));
    return;
  }
  if (closeRequested_) {
    closeRequested_ = false;
    events->push_back({DisplayEvent::Kind::CloseRequested});
  }
  FollowOutputs();
  int width = 0, height = 0, scale = 1;
  SceneSize(&width, &height, &scale);
  if (width != fittedWidth_ || height != fittedHeight_ || scale != bufferScale_) {
    std::string error;
    if (FitTo(width, height, scale, &error)) {
      events->push_back({DisplayEvent::Kind::Resized});
    } else {
      DisplayEvent e{DisplayEvent::Kind::Failed};
      e.text = error;
      events->push_back(std::move(e));
    }
  } else if (wholePending_ && !frameCallback_) {
    if (ShmBuffer* b = FreeBuffer()) Commit(*b, {});
  }
  for (DisplayEvent& e : arrived_) events->push_back(std::move(e));
  arrived_.clear();
}

}  // namespace coderain
