// The scene on a Wayland compositor, as a client of our own.
//
// The scene is a full-screen xdg_toplevel (app_id "coderain", title
// "Form1") on one output: the first the compositor announced, or the one
// --output names. Every other output gets a black full-screen surface of
// ours, a buffer of the output's size that we never map: black is what
// fresh shared memory holds, so a black output adds nothing to our memory.
// (A single pixel scaled by wp_viewporter would need less memory still,
// but a compositor may scale it anew on every frame: see decisions.md.) Outputs that come and go are
// followed; when the scene's output goes, the scene moves to another.
//
// The scene draws into a frame of its own; a present copies what changed
// into whichever of two shared-memory buffers the compositor has let go
// (with what that buffer missed while the other was shown) and sends only
// the changed rectangles. A frame callback before each commit paces the
// presents to the compositor's, and a scene nobody sees (no output, or no
// frames for a while) costs nothing until it is shown again. On a dense
// output (wl_output.scale s) the buffer has the output's own pixels, the
// scene its logical size, every scene pixel an s x s block.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/gfx/frame_copy.h"
#include "core/run/launch_request.h"
#include "core/run/scene_display.h"
#include "displays/wayland/wayland_connection.h"
#include "displays/wayland/wayland_input.h"
#include "displays/wayland/wayland_shm.h"
#include "host/posix/close_signals.h"

struct xdg_surface;
struct xdg_toplevel;

namespace coderain {

class WaylandDisplay : public SceneDisplay {
 public:
  ~WaylandDisplay() override;

  // Connects and creates the scene's window, full screen and not yet
  // shown. Returns null and sets *error, one line, on failure: beginning
  // "cannot open the display" where no compositor answers, or it lacks
  // what the scene needs (xdg_wm_base, wl_shm), so that another display
  // may be tried.
  static std::unique_ptr<WaylandDisplay> Open(const LaunchRequest& request, const CloseSignals* signals,
                                              std::string* error);

  Bitmap& Frame() override { return frame_; }
  const OutputFit& Fit() const override { return fit_; }
  void Show() override;
  void Wait(int timeoutMs, std::vector<DisplayEvent>* events) override;
  bool Present(const DamageList& damage) override;
  void PresentAll() override;

  // A full-screen surface of ours on one output: the scene's, or a cover.
  struct Window {
    ~Window();
    WaylandDisplay* display = nullptr;
    std::uint32_t output = 0;  // the output it was asked to fill
    wl_surface* surface = nullptr;
    xdg_surface* xdg = nullptr;
    xdg_toplevel* toplevel = nullptr;
    int width = 0;  // the size the compositor configured, logical pixels (0: ours to choose)
    int height = 0;
    bool configured = false;
    std::unique_ptr<ShmBuffer> black;  // a cover's black buffer, of its size, never mapped by us
  };

 private:
  struct Events;  // the compositor's events, as functions

  WaylandDisplay(std::unique_ptr<WaylandConnection> c, const CloseSignals* signals, const LaunchRequest& request);
  std::unique_ptr<Window> OpenWindow(std::uint32_t output, const char* title);
  // The output the scene belongs on now: the one asked for, else where it
  // is, else the first; 0 where there is none.
  std::uint32_t SceneOutput() const;
  // Puts the scene and the covers where the outputs now stand.
  void FollowOutputs();
  void Cover(Window& w);
  // The scene's size for the window's configured size on its output.
  void SceneSize(int* width, int* height, int* scale) const;
  // Fits the scene to width x height logical pixels at buffer scale
  // `scale`: the fit, the frame and the buffers. Keeps all as they were and
  // sets *error when the memory cannot be had.
  bool FitTo(int width, int height, int scale, std::string* error);
  // Copies what `buffer` missed into it, attaches it with the damage
  // `rects` (frame pixels) and commits, asking for a frame callback.
  void Commit(ShmBuffer& buffer, const std::vector<Rect>& rects);
  ShmBuffer* FreeBuffer();
  void OutputGone(std::uint32_t id);

  std::unique_ptr<WaylandConnection> c_;
  const CloseSignals& signals_;
  const int requestedScale_;
  const std::string wantedOutput_;
  std::unique_ptr<Window> scene_;
  std::vector<std::unique_ptr<Window>> covers_;
  std::unique_ptr<ShmBuffer> buffers_[2];
  int lastCommitted_ = 0;  // the buffer attached last
  int bufferScale_ = 1;
  int fittedWidth_ = 0, fittedHeight_ = 0;  // the logical size the scene was fitted to
  OutputFit fit_;
  Bitmap frame_;
  FrameCopier copier_{PixelLayout{}};
  wl_callback* frameCallback_ = nullptr;
  std::chrono::steady_clock::time_point frameAsked_;
  bool wholePending_ = false;  // a whole present waits for a free buffer
  bool shown_ = false;
  bool closeRequested_ = false;
  bool closeSent_ = false;
  wl_keyboard* keyboard_ = nullptr;
  wl_pointer* pointer_ = nullptr;
  WaylandInput input_;
  std::vector<DisplayEvent> arrived_;  // what the compositor's events meant, for the next Wait
};

}  // namespace coderain
