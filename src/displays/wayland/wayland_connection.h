// One connection to a Wayland compositor: the globals the display uses,
// the outputs as the compositor describes them, and reads that never wait
// longer than asked (a socket that accepts and never answers cannot hang
// the program).
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace coderain {

// An output as the compositor describes it.
struct WaylandOutput {
  std::uint32_t id = 0;  // the registry's name for it
  wl_output* output = nullptr;
  zxdg_output_v1* xdgOutput = nullptr;
  std::string name;  // the compositor's name for it (HEADLESS-1, DP-2)
  int width = 0;     // the current mode, in the output's own pixels
  int height = 0;
  int refreshHz = 0;
  int scale = 1;         // its density, as a whole number
  bool ready = false;    // described in full at least once
  bool changed = false;  // described anew since the display last looked

  // Its size in the compositor's logical pixels.
  int LogicalWidth() const { return width / scale; }
  int LogicalHeight() const { return height / scale; }
};

class WaylandConnection {
 public:
  ~WaylandConnection();

  // Connects to the compositor WAYLAND_DISPLAY names (else the usual
  // socket) and learns its globals and outputs, waiting at most `timeoutMs`
  // for answers. Returns null and sets *error to why no compositor answers
  // as one.
  static std::unique_ptr<WaylandConnection> Connect(int timeoutMs, std::string* error);
  // Whether the runtime directory holds the usual compositor's socket
  // (wayland-0).
  static bool UsualSocketThere();

  // A wait for the compositor, in two halves around the caller's poll of
  // Fd(): before it, dispatches what was read already (*dispatched says
  // whether there was any), prepares to read and sends what is queued;
  // *events is what to poll for (POLLIN, with POLLOUT where the socket is
  // full). After it, with the poll's `revents` (0 where it did not say
  // the socket is readable), reads and dispatches what came, or gives up
  // the read. Each returns false once the connection is lost; AfterWait
  // must follow every PrepareWait that returned true.
  bool PrepareWait(short* events, bool* dispatched);
  bool AfterWait(short revents);
  int Fd() const { return wl_display_get_fd(display); }
  // Both halves with a poll of the compositor alone in between, up to
  // `timeoutMs` (-1: as long as it takes). False once the connection is
  // lost.
  bool Dispatch(int timeoutMs);
  // Waits, up to `timeoutMs` in all, until the compositor has answered
  // everything sent so far. False on a lost connection or on the timeout.
  bool Roundtrip(int timeoutMs);
  // Why the connection was lost, in one line.
  std::string LostReason() const;

  // The outputs in the order the compositor announced them; one that goes
  // away leaves this list (and is handed to `onOutputGone` first).
  const std::vector<std::unique_ptr<WaylandOutput>>& Outputs() const { return outputs_; }
  WaylandOutput* FindOutput(std::uint32_t id) const;
  // Called as an output goes away, before it is freed.
  void (*onOutputGone)(void* data, std::uint32_t id) = nullptr;
  void* onOutputGoneData = nullptr;

  wl_display* display = nullptr;
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  xdg_wm_base* wmBase = nullptr;
  zwlr_layer_shell_v1* layerShell = nullptr;  // the desktop's layers, where it has them
  wl_seat* seat = nullptr;

 private:
  WaylandConnection() = default;
  void AddOutput(std::uint32_t id, std::uint32_t version);
  void RemoveGlobal(std::uint32_t id);
  static void Global(void* data, wl_registry* registry, std::uint32_t id, const char* interface, std::uint32_t version);
  static void GlobalRemove(void* data, wl_registry* registry, std::uint32_t id);
  bool Lose();

  wl_registry* registry_ = nullptr;
  zxdg_output_manager_v1* xdgOutputs_ = nullptr;
  std::vector<std::unique_ptr<WaylandOutput>> outputs_;
  bool lost_ = false;
};

}  // namespace coderain
