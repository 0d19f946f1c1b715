// The scene on a Wayland compositor, as a client of our own.
//
// The scene is a full-screen xdg_toplevel (app_id "coderain", titled
// kSceneTitle) on one output: the first the compositor announced, or the one
// --output names. Every other output gets a black full-screen surface of
// ours, a buffer of the output's size that we never map: black is what
// fresh shared memory holds, so a black output adds nothing to our memory.
// (A single pixel scaled by wp_viewporter would need less memory still,
// but a compositor may scale it anew on every frame: see decisions.md.)
// With --every-monitor every output has a scene of its own instead.
// Where the mode's windows lie below every other (a wallpaper), each scene
// is a layer surface on its output's background layer instead: all of
// the output, no room taken from others, no keys, no clicks (an empty
// input region). The compositor may close one: that output's scene ends,
// and the run with the last.
// Outputs that come and go are followed as the screen plan (PlanOutputs)
// says: when the scene's output goes, the scene moves to another.
//
// A scene's window presents from two shared-memory buffers, never writing
// one the compositor holds, and sends only the changed rectangles. Where
// nothing is scaled the scene draws straight into a buffer the compositor
// has let go; one that keeps the buffer shown until the next replaces it
// has the scene move between the two, each first given what it missed.
// A frame callback before each commit paces the presents to the
// compositor's, and a scene nobody sees (no output, or no frames for a
// while) costs nothing until it is shown again. On a dense output
// (wl_output.scale s) the buffers have the output's own pixels, the scene
// its logical size, every scene pixel an s x s block.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/run/display_table.h"
#include "core/run/launch_request.h"
#include "core/run/screen_plan.h"
#include "displays/wayland/wayland_connection.h"
#include "displays/wayland/wayland_input.h"
#include "displays/wayland/wayland_shm.h"
#include "host/posix/polled_display.h"

struct xdg_surface;
struct xdg_toplevel;
struct zwlr_layer_surface_v1;

namespace coderain {

class WaylandDisplay : public PolledDisplay {
 public:
  ~WaylandDisplay() override;

  // Connects and creates the scene's windows, full screen and not yet
  // shown. Returns null and sets *error, one line, on failure; *answered is
  // false where no compositor answers, or it lacks what the scene needs
  // (xdg_wm_base, wl_shm), so that another display may be tried.
  static std::unique_ptr<WaylandDisplay> Open(const LaunchRequest& request, bool* answered, std::string* error);

  void Show() override;
  WaitOn PrepareWait() override;
  void Dispatch(short revents, std::vector<DisplayEvent>* events) override;
  bool AwaitsDisplay(int screen) const override;

  // A full-screen surface of ours on one output: a scene's, or a cover.
  struct Window {
    ~Window();
    WaylandDisplay* display = nullptr;
    std::uint32_t output = 0;  // the output it was asked to fill
    int screen = -1;           // the scene's screen, once it has one; a cover: -1
    bool scene = false;
    wl_surface* surface = nullptr;
    xdg_surface* xdg = nullptr;
    xdg_toplevel* toplevel = nullptr;
    int width = 0;  // the size the compositor configured, logical pixels (0: ours to choose)
    int height = 0;
    bool configured = false;
    bool fullscreen = false;           // as the compositor last configured it
    bool askFullscreen = false;        // to ask again once it is shown
    std::unique_ptr<ShmBuffer> black;  // a cover's black buffer, of its size, never mapped by us
    // A scene's buffers, and what they were made for.
    std::unique_ptr<ShmBuffer> buffers[2];
    int lastCommitted = 0;
    int bufferScale = 1;
    wl_callback* frameCallback = nullptr;
    std::chrono::steady_clock::time_point frameAsked;

    // A wallpaper's layer, instead of xdg's windows.
    zwlr_layer_surface_v1* layer = nullptr;
    bool closed = false;  // by the compositor
    bool unseen = false;  // said to be unseen: its frame has not come for a while
  };

 protected:
  PixelLayout Layout(int screen) const override;
  int ImageCount(int screen) const override;
  bool MakeImages(int screen, int width, int height, std::string* error) override;
  ImageView Image(int screen, int index) const override;
  int FreeImage(int screen) override;
  bool Held(int screen, int index) const override;
  void Send(int screen, int index, std::span<const Rect> rects, bool whole) override;

 private:
  // The compositor's events, as functions.
  struct WindowEvents;
  struct SeatEvents;

  WaylandDisplay(std::unique_ptr<WaylandConnection> c, const LaunchRequest& request);
  std::unique_ptr<Window> OpenWindow(std::uint32_t output, bool scene);
  // Gives the window's surface its role: a full-screen toplevel, or a
  // layer on the desktop's background.
  void OpenToplevel(Window& w);
  void OpenLayer(Window& w);
  // Puts the window on another output: a toplevel is asked there; a layer,
  // which stays where it was made, is made anew there.
  void MoveWindow(Window& w, std::uint32_t output);
  // Ends the scenes whose layers the compositor closed, and the run with
  // the last.
  void DropClosed(std::vector<DisplayEvent>* events);
  Window* SceneWindow(int screen) const;
  // The screen plan for the outputs listed now, `gone` left out (0: none).
  OutputPlan Plan(std::uint32_t gone) const;
  // Applies what goes in `plan`: the covers it has not, the scenes removed.
  void DropPlanned(const OutputPlan& plan);
  // Applies the screen plan for the outputs as they stand now, and fits
  // each scene to its window, appending what changed.
  void FollowOutputs(std::vector<DisplayEvent>* events);
  void FitScenes(std::vector<DisplayEvent>* events);
  void Cover(Window& w);
  // Whether the window's size is known: configured, and its output's
  // where the compositor leaves the size to us.
  bool SizeKnown(const Window& w) const;
  // The scene's size for the window's configured size on its output.
  void SceneSize(const Window& w, int* width, int* height, int* scale) const;
  OutputFacts FactsFor(const Window& w, int width, int height, int scale) const;
  void OutputGone(std::uint32_t id);
  // Says which scenes nobody sees now: those whose frame has not come for
  // a while.
  void WatchFrames(std::vector<DisplayEvent>* events);

  std::unique_ptr<WaylandConnection> c_;
  const LaunchRequest request_;
  std::vector<std::unique_ptr<Window>> scenes_;
  std::vector<std::unique_ptr<Window>> covers_;
  std::vector<std::uint32_t> closedOn_;  // outputs whose layer the compositor closed
  int nextScreen_ = 0;
  bool shown_ = false;
  bool closeRequested_ = false;
  wl_keyboard* keyboard_ = nullptr;
  wl_pointer* pointer_ = nullptr;
  WaylandInput input_;
  Window* pointerOn_ = nullptr;        // the scene window the pointer is over, if any
  std::vector<DisplayEvent> arrived_;  // what the compositor's events meant, for the next Dispatch
};

// The row of the display table: named by WAYLAND_DISPLAY or the usual
// socket; the last resort where nothing is named.
const DisplayRow<PolledDisplay>& WaylandDisplayRow();

}  // namespace coderain
