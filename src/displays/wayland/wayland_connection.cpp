#include "displays/wayland/wayland_connection.h"

#include <poll.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/run/launch_request.h"
#include "wlr-layer-shell-unstable-v1-client.h"
#include "xdg-output-unstable-v1-client.h"
#include "xdg-shell-client.h"

namespace coderain {

namespace {

// The library's own complaints are kept rather than printed: the program
// says what failed in one line of its own.
std::string& LastLibraryLine() {
  static std::string line;
  return line;
}

void KeepLibraryLine(const char* format, va_list args) {
  char line[256];
  std::vsnprintf(line, sizeof line, format, args);
  std::string& kept = LastLibraryLine();
  kept = line;
  while (!kept.empty() && (kept.back() == '\n' || kept.back() == ' ')) kept.pop_back();
}

int MsUntil(std::chrono::steady_clock::time_point end) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
  return static_cast<int>(std::max<std::int64_t>(0, left.count()));
}

template <typename T>
T* Bind(wl_registry* registry, std::uint32_t id, const wl_interface* interface, std::uint32_t offered,
        std::uint32_t wanted) {
  return static_cast<T*>(wl_registry_bind(registry, id, interface, std::min(offered, wanted)));
}

void Ignore() {}

// The events of an output; every one marks it described anew.
const wl_output_listener kOutputListener = {
    .geometry = [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, const char*,
                   const char*, std::int32_t) { Ignore(); },
    .mode =
        [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t refresh) {
          if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
          auto* o = static_cast<WaylandOutput*>(data);
          o->width = width;
          o->height = height;
          o->refreshHz = (refresh + 500) / 1000;
        },
    .done =
        [](void* data, wl_output*) {
          auto* o = static_cast<WaylandOutput*>(data);
          o->ready = true;
          o->changed = true;
        },
    .scale = [](void* data, wl_output*,
                std::int32_t factor) { static_cast<WaylandOutput*>(data)->scale = std::max(1, factor); },
    .name = [](void* data, wl_output*, const char* name) { static_cast<WaylandOutput*>(data)->name = name; },
    .description = [](void*, wl_output*, const char*) { Ignore(); },
};

const zxdg_output_v1_listener kXdgOutputListener = {
    .logical_position = [](void*, zxdg_output_v1*, std::int32_t, std::int32_t) { Ignore(); },
    .logical_size = [](void*, zxdg_output_v1*, std::int32_t, std::int32_t) { Ignore(); },
    .done = [](void* data, zxdg_output_v1*) { static_cast<WaylandOutput*>(data)->changed = true; },
    .name =
        [](void* data, zxdg_output_v1*, const char* name) {
          auto* o = static_cast<WaylandOutput*>(data);
          if (o->name.empty()) o->name = name;
        },
    .description = [](void*, zxdg_output_v1*, const char*) { Ignore(); },
};

}  // namespace

bool WaylandConnection::UsualSocketThere() {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  return dir && *dir && ::stat((std::string(dir) + "/wayland-0").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

WaylandConnection::~WaylandConnection() {
  // The compositor frees everything of ours with the connection.
  if (display) wl_display_disconnect(display);
}

std::unique_ptr<WaylandConnection> WaylandConnection::Connect(int timeoutMs, std::string* error) {
  wl_log_set_handler_client(KeepLibraryLine);
  const char* name = std::getenv("WAYLAND_DISPLAY");
  const bool named = name && *name;
  const std::string where = named ? "WAYLAND_DISPLAY=" + Printable(name) : "the usual socket (wayland-0)";
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!(named && name[0] == '/') && !(runtime && *runtime)) {
    *error = "XDG_RUNTIME_DIR is not set";
    return nullptr;
  }
  std::unique_ptr<WaylandConnection> c(new WaylandConnection);
  errno = 0;
  // Set but empty is unset: the library would take the empty name for the
  // runtime directory itself.
  c->display = wl_display_connect(named ? name : "wayland-0");
  if (!c->display) {
    const int err = errno;
    *error = "no Wayland compositor at " + where + " (" +
             (err == ENAMETOOLONG ? std::string("the path is too long for a socket") : std::strerror(err)) + ")";
    return nullptr;
  }
  c->registry_ = wl_display_get_registry(c->display);
  static const wl_registry_listener listener = {&WaylandConnection::Global, &WaylandConnection::GlobalRemove};
  wl_registry_add_listener(c->registry_, &listener, c.get());
  // One answer lists the globals; the second, the outputs' descriptions.
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  if (!c->Roundtrip(MsUntil(end)) || !c->Roundtrip(MsUntil(end))) {
    *error = where + (c->lost_ ? " does not answer as a Wayland compositor does" : " does not answer");
    return nullptr;
  }
  return c;
}

void WaylandConnection::Global(void* data, wl_registry* registry, std::uint32_t id, const char* interface,
                               std::uint32_t version) {
  auto* c = static_cast<WaylandConnection*>(data);
  const std::string_view i = interface;
  if (i == wl_compositor_interface.name && version >= 4) {
    c->compositor = Bind<wl_compositor>(registry, id, &wl_compositor_interface, version, 4);
  } else if (i == wl_shm_interface.name) {
    c->shm = Bind<wl_shm>(registry, id, &wl_shm_interface, version, 1);
  } else if (i == xdg_wm_base_interface.name) {
    c->wmBase = Bind<xdg_wm_base>(registry, id, &xdg_wm_base_interface, version, 2);
    static const xdg_wm_base_listener ping = {
        .ping = [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }};
    xdg_wm_base_add_listener(c->wmBase, &ping, nullptr);
  } else if (i == zwlr_layer_shell_v1_interface.name) {
    c->layerShell = Bind<zwlr_layer_shell_v1>(registry, id, &zwlr_layer_shell_v1_interface, version, 4);
  } else if (i == wl_seat_interface.name && !c->seat) {
    c->seat = Bind<wl_seat>(registry, id, &wl_seat_interface, version, 5);
  } else if (i == wl_output_interface.name) {
    c->AddOutput(id, version);
  } else if (i == zxdg_output_manager_v1_interface.name) {
    c->xdgOutputs_ = Bind<zxdg_output_manager_v1>(registry, id, &zxdg_output_manager_v1_interface, version, 3);
    for (const auto& o : c->outputs_) {
      o->xdgOutput = zxdg_output_manager_v1_get_xdg_output(c->xdgOutputs_, o->output);
      zxdg_output_v1_add_listener(o->xdgOutput, &kXdgOutputListener, o.get());
    }
  }
}

void WaylandConnection::AddOutput(std::uint32_t id, std::uint32_t version) {
  auto o = std::make_unique<WaylandOutput>();
  o->id = id;
  o->output = Bind<wl_output>(registry_, id, &wl_output_interface, version, 4);
  wl_output_add_listener(o->output, &kOutputListener, o.get());
  if (xdgOutputs_) {
    o->xdgOutput = zxdg_output_manager_v1_get_xdg_output(xdgOutputs_, o->output);
    zxdg_output_v1_add_listener(o->xdgOutput, &kXdgOutputListener, o.get());
  }
  outputs_.push_back(std::move(o));
}

void WaylandConnection::GlobalRemove(void* data, wl_registry*, std::uint32_t id) {
  static_cast<WaylandConnection*>(data)->RemoveGlobal(id);
}

void WaylandConnection::RemoveGlobal(std::uint32_t id) {
  const auto it = std::find_if(outputs_.begin(), outputs_.end(), [id](const auto& o) { return o->id == id; });
  if (it == outputs_.end()) return;
  if (onOutputGone) onOutputGone(onOutputGoneData, id);
  WaylandOutput& o = **it;
  if (o.xdgOutput) zxdg_output_v1_destroy(o.xdgOutput);
  if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(o.output)) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
    wl_output_release(o.output);
  else
    wl_output_destroy(o.output);
  outputs_.erase(it);
}

WaylandOutput* WaylandConnection::FindOutput(std::uint32_t id) const {
  for (const auto& o : outputs_)
    if (o->id == id) return o.get();
  return nullptr;
}

bool WaylandConnection::Lose() {
  lost_ = true;
  return false;
}

bool WaylandConnection::PrepareWait(short* events, bool* dispatched) {
  *events = POLLIN;
  *dispatched = false;
  if (lost_) return false;
  for (;;) {
    if (wl_display_prepare_read(display) == 0) break;
    const int n = wl_display_dispatch_pending(display);
    if (n < 0) return Lose();
    *dispatched = *dispatched || n > 0;
  }
  if (wl_display_flush(display) < 0) {
    if (errno != EAGAIN) {
      wl_display_cancel_read(display);
      return Lose();
    }
    // The socket is full: wait for room as well.
    *events |= POLLOUT;
  }
  return true;
}

bool WaylandConnection::AfterWait(short revents) {
  if (lost_) return false;
  if (revents & (POLLIN | POLLHUP | POLLERR)) {
    if (wl_display_read_events(display) < 0) return Lose();
  } else {
    wl_display_cancel_read(display);
  }
  if (wl_display_dispatch_pending(display) < 0 || wl_display_get_error(display) != 0) return Lose();
  return true;
}

bool WaylandConnection::Dispatch(int timeoutMs) {
  short events = 0;
  bool dispatched = false;
  if (!PrepareWait(&events, &dispatched)) return false;
  pollfd p{Fd(), events, 0};
  const int n = ::poll(&p, 1, dispatched ? 0 : timeoutMs);
  return AfterWait(n > 0 ? p.revents : 0);
}

bool WaylandConnection::Roundtrip(int timeoutMs) {
  bool answered = false;
  wl_callback* sync = wl_display_sync(display);
  static const wl_callback_listener listener = {
      .done = [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};
  wl_callback_add_listener(sync, &listener, &answered);
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!answered && MsUntil(end) > 0 && Dispatch(MsUntil(end))) {
  }
  wl_callback_destroy(sync);
  return answered;
}

std::string WaylandConnection::LostReason() const {
  if (wl_display_get_error(display) == EPROTO) {
    const wl_interface* interface = nullptr;
    std::uint32_t object = 0;
    const std::uint32_t code = wl_display_get_protocol_error(display, &interface, &object);
    return std::string("the compositor refused a request of ours (") + (interface ? interface->name : "unknown") +
           " error " + std::to_string(code) + ")";
  }
  return "lost the connection to the display";
}

}  // namespace coderain
