// The floor of a full-screen Wayland client that presents as the scene
// does: one full-screen xdg_toplevel with two shared-memory buffers, which
// at every frame callback sends the same 46 small rectangles of the free
// buffer, and computes nothing. bench/run.sh measures the program against
// it in the same run. Runs until the compositor closes it or goes away.
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "xdg-shell-client.h"

namespace {

struct Probe {
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  xdg_wm_base* wmBase = nullptr;
  wl_output* output = nullptr;
  wl_surface* surface = nullptr;
  int width = 0, height = 0;
  bool configured = false, closed = false;
  wl_buffer* buffers[2] = {};
  bool busy[2] = {};
  int next = 0;
};

void Global(void* data, wl_registry* registry, std::uint32_t id, const char* interface, std::uint32_t) {
  auto& p = *static_cast<Probe*>(data);
  if (std::strcmp(interface, wl_compositor_interface.name) == 0)
    p.compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, id, &wl_compositor_interface, 4));
  else if (std::strcmp(interface, wl_shm_interface.name) == 0)
    p.shm = static_cast<wl_shm*>(wl_registry_bind(registry, id, &wl_shm_interface, 1));
  else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0)
    p.wmBase = static_cast<xdg_wm_base*>(wl_registry_bind(registry, id, &xdg_wm_base_interface, 1));
  else if (std::strcmp(interface, wl_output_interface.name) == 0 && !p.output)
    p.output = static_cast<wl_output*>(wl_registry_bind(registry, id, &wl_output_interface, 1));
}

// The first output's size, which a first configure of 0 x 0 leaves to us.
const wl_output_listener kOutput = {
    [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, const char*,
       const char*, std::int32_t) {},
    [](void* data, wl_output*, std::uint32_t flags, std::int32_t w, std::int32_t h, std::int32_t) {
      auto& p = *static_cast<Probe*>(data);
      if (flags & WL_OUTPUT_MODE_CURRENT) p.width = w, p.height = h;
    },
    nullptr,
    nullptr,
    nullptr,
    nullptr};

const wl_registry_listener kRegistry = {Global, [](void*, wl_registry*, std::uint32_t) {}};
const xdg_wm_base_listener kPing = {[](void*, xdg_wm_base* b, std::uint32_t s) { xdg_wm_base_pong(b, s); }};
const xdg_surface_listener kSurface = {[](void* data, xdg_surface* xdg, std::uint32_t serial) {
  xdg_surface_ack_configure(xdg, serial);
  static_cast<Probe*>(data)->configured = true;
}};
const xdg_toplevel_listener kToplevel = {[](void* data, xdg_toplevel*, std::int32_t w, std::int32_t h, wl_array*) {
                                           auto& p = *static_cast<Probe*>(data);
                                           if (w > 0 && h > 0 && !p.buffers[0]) p.width = w, p.height = h;
                                         },
                                         [](void* data, xdg_toplevel*) { static_cast<Probe*>(data)->closed = true; },
                                         nullptr, nullptr};
const wl_buffer_listener kBuffer = {[](void* data, wl_buffer*) { *static_cast<bool*>(data) = false; }};

void Present(Probe& p);
const wl_callback_listener kFrame = {[](void* data, wl_callback* cb, std::uint32_t) {
  wl_callback_destroy(cb);
  Present(*static_cast<Probe*>(data));
}};

void Present(Probe& p) {
  int i = p.next;
  if (p.busy[i]) i = 1 - i;
  wl_surface_attach(p.surface, p.buffers[i], 0, 0);
  // The same 46 glyph-sized rectangles spread over the screen, every frame.
  for (int r = 0; r < 46; ++r)
    wl_surface_damage_buffer(p.surface, (r * 397) % (p.width - 15), (r * 211) % (p.height - 18), 15, 18);
  wl_callback_add_listener(wl_surface_frame(p.surface), &kFrame, &p);
  wl_surface_commit(p.surface);
  p.busy[i] = true;
  p.next = 1 - i;
}

}  // namespace

int main() {
  Probe p;
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fprintf(stderr, "wayland_floor: no compositor\n");
    return 1;
  }
  wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, &p);
  wl_display_roundtrip(display);
  if (!p.compositor || !p.shm || !p.wmBase || !p.output) return 1;
  wl_output_add_listener(p.output, &kOutput, &p);
  wl_display_roundtrip(display);
  xdg_wm_base_add_listener(p.wmBase, &kPing, nullptr);
  p.surface = wl_compositor_create_surface(p.compositor);
  xdg_surface* xdg = xdg_wm_base_get_xdg_surface(p.wmBase, p.surface);
  xdg_surface_add_listener(xdg, &kSurface, &p);
  xdg_toplevel* top = xdg_surface_get_toplevel(xdg);
  xdg_toplevel_add_listener(top, &kToplevel, &p);
  xdg_toplevel_set_fullscreen(top, nullptr);
  wl_surface_commit(p.surface);
  while (!p.configured || p.width == 0)
    if (wl_display_dispatch(display) < 0) return 1;
  const int stride = p.width * 4, size = stride * p.height;
  const int fd = memfd_create("wayland_floor", 0);
  if (fd < 0 || ftruncate(fd, 2 * size) != 0) return 1;
  wl_shm_pool* pool = wl_shm_create_pool(p.shm, fd, 2 * size);
  for (int i = 0; i < 2; ++i) {
    p.buffers[i] = wl_shm_pool_create_buffer(pool, i * size, p.width, p.height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_buffer_add_listener(p.buffers[i], &kBuffer, &p.busy[i]);
  }
  Present(p);
  while (!p.closed && wl_display_dispatch(display) >= 0) {
  }
  wl_display_disconnect(display);
  return 0;
}
