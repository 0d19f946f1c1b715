// The scene on an X server, through Xlib.
//
// One connection (x11_connection.h). The scene is shown in a window of our
// own over the primary monitor, scaled up by a whole number on dense
// screens, with a black window of ours over every other monitor
// (x11_monitors.h); with --every-monitor, a window and a scene of its own
// on every monitor; or in a window lent to it (a screen-saver daemon's), in
// miniature where that window is short. As the desktop's wallpaper, a
// window of its own below every other on each monitor, or the root window
// itself where no window manager runs. It is presented from the window's
// image (x11_image.h) in whatever true-colour layout the window's visual
// has; where that layout is the frame's own and nothing is scaled, the
// scene draws straight into the image.
//
// A scene nobody can see rests (the display says so): while the monitors
// are asleep (DPMS, looked at once a second where the server has it), the
// server's screen saver is over its window (unless the window is the
// saver's own), or its window is covered whole or taken off the screen.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/run/display_table.h"
#include "core/run/launch_request.h"
#include "displays/x11/x11_connection.h"
#include "displays/x11/x11_image.h"
#include "displays/x11/x11_input.h"
#include "displays/x11/x11_monitors.h"
#include "displays/x11/x11_sight.h"
#include "host/posix/polled_display.h"

namespace coderain {

class X11Display : public PolledDisplay {
 public:
  // Opens the display for `request`: connects, then creates the scene's
  // windows (own windows) or takes the window the request names (lent; 0
  // is the root window). A lent window stays its owner's: it is never
  // mapped, moved, resized, restacked or titled, and none of its keyboard
  // or mouse events are taken. Returns null and sets *error, one line, on
  // failure; *answered is false where no X server answered.
  static std::unique_ptr<X11Display> Open(const LaunchRequest& request, bool* answered, std::string* error);

  void Show() override;
  WaitOn PrepareWait() override;
  void Dispatch(short revents, std::vector<DisplayEvent>* events) override;

 protected:
  PixelLayout Layout(int screen) const override;
  bool MakeImages(int screen, int width, int height, std::string* error) override;
  ImageView Image(int screen, int index) const override;
  int FreeImage(int screen) override;
  void Send(int screen, int index, std::span<const Rect> rects, bool whole) override;

 private:
  // A window that shows a scene.
  struct SceneWindow {
    ::Window window = None;
    std::unique_ptr<X11Image> image;
    Rect monitor;   // the monitor it covers (own windows)
    int width = 0;  // its size as the server last said
    int height = 0;
    Sight sight;          // what the server has said of it
    bool unseen = false;  // as the loop was last told
  };

  X11Display(std::unique_ptr<X11Connection> c, const LaunchRequest& request);
  bool CreateOwnWindows(std::string* error);
  // A window of ours over `bounds`: a scene's, or the desktop's below the
  // others; the root window where the scenes are drawn on it.
  ::Window NewWindow(Rect bounds);
  void MapScene(::Window w);
  bool UseWindow(std::uint64_t id, std::string* error);
  // Adds a screen shown in window `w` (of the given visual and depth and
  // size). False and *error where its colours cannot be shown or the
  // memory cannot be had.
  bool AddWindow(::Window w, Visual* visual, int depth, Rect bounds, std::string* error);
  OutputFacts FactsFor(int width, int height) const;
  // Puts our windows where the monitors now stand, as the screen plan
  // says, appending the screens that come and go.
  void FollowMonitors(std::vector<DisplayEvent>* events);
  // What the display does itself about an event: the windows' first map,
  // a changed keyboard, a fence taken, a monitor change, a window
  // destroyed, a new size. Returns false for events that are the scene's.
  bool React(const XEvent& ev, std::vector<DisplayEvent>* events);
  int ScreenOf(::Window w) const;
  // The screen saver came on (over `saver`, its window) or went off.
  void SaverChanged(bool on, ::Window saver);
  // Asks for the monitors' power, at most once a second.
  void LookAtPower();
  // Tells the loop of every scene that has come into sight or gone from it
  // (in place of the exposures of one that has come into sight).
  void UpdateSight(std::vector<DisplayEvent>* events);
  // The root window was exposed at `area`; `last`: the last of a series.
  void RootExposed(Rect area, bool last, std::vector<DisplayEvent>* events);
  X11InputContext InputContext() const;

  std::unique_ptr<X11Connection> c_;
  const LaunchRequest request_;
  std::map<int, SceneWindow> windows_;  // by screen
  std::vector<Rect> merged_;            // the rectangles of a present, fewer
  int nextScreen_ = 0;
  MonitorCovers covers_;
  bool shown_ = false;
  bool appeared_ = false;
  bool onRoot_ = false;  // the scenes are drawn on the root window, each at its monitor
  std::vector<int> rootExposed_;
  bool rootGivenBack_ = false;  // the run ends: nothing more is drawn on the root
  bool saverOn_ = false;
  bool monitorsDark_ = false;
  std::chrono::steady_clock::time_point nextPowerLook_{};
};

// The row of the display table: named by DISPLAY, --display or a lent
// window.
const DisplayRow<PolledDisplay>& X11DisplayRow();

}  // namespace coderain
