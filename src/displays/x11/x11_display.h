// The scene on an X server, through Xlib.
//
// One connection (x11_connection.h). The scene is shown in a window of our
// own over the primary monitor, scaled up by a whole number on dense
// screens, with a black window of ours over every other monitor
// (x11_monitors.h); or in a window lent to it (a screen-saver daemon's),
// in miniature where that window is short. It is presented from the
// window's image (x11_image.h) in whatever true-colour layout the window's
// visual has; where that layout is the frame's own and nothing is scaled,
// the scene draws straight into the image.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>
#include <vector>

#include "core/run/launch_request.h"
#include "core/run/scene_display.h"
#include "displays/x11/x11_connection.h"
#include "displays/x11/x11_image.h"
#include "displays/x11/x11_input.h"
#include "displays/x11/x11_monitors.h"
#include "host/posix/close_signals.h"

namespace coderain {

class X11Display : public SceneDisplay {
 public:
  // Opens the display for `request`: connects, then creates the scene's
  // window (own window) or takes the window the request names (lent; 0 is
  // the root window). A lent window stays its owner's: it is never mapped,
  // moved, resized, restacked or titled, and none of its keyboard or mouse
  // events are taken. Close requests come from `signals` as well as from
  // the window manager. Returns null and sets *error, one line, on failure.
  static std::unique_ptr<X11Display> Open(const LaunchRequest& request, const CloseSignals* signals,
                                          std::string* error);

  Bitmap& Frame() override { return frame_; }
  const OutputFit& Fit() const override { return fit_; }
  void Show() override;
  void Wait(int timeoutMs, std::vector<DisplayEvent>* events) override;
  bool Present(const DamageList& damage) override;
  void PresentAll() override;

 private:
  X11Display(std::unique_ptr<X11Connection> c, const CloseSignals* signals, const LaunchRequest& request);
  bool CreateOwnWindow(std::string* error);
  bool UseWindow(std::uint64_t id, std::string* error);
  // Sets the window the scene is shown in, its visual and depth.
  bool TakeWindow(::Window w, Visual* visual, int depth, std::string* error);
  // Fits the scene to the window at width x height: the fit, the image and
  // the frame. Returns false and sets *error, keeping all three as they
  // were, when the memory for them cannot be had.
  bool FitTo(int width, int height, std::string* error);
  // What the display does itself about an event: the window's first map,
  // a changed keyboard, a finished present, a monitor change, a cover
  // destroyed. Returns false for events that are the scene's to hear.
  bool React(const XEvent& ev, std::vector<DisplayEvent>* events);
  X11InputContext InputContext() const;

  std::unique_ptr<X11Connection> c_;
  const CloseSignals& signals_;
  OutputFacts facts_;  // all but the window's size
  const bool lent_;
  ::Window window_ = None;
  std::unique_ptr<X11Image> image_;
  MonitorCovers covers_;
  OutputFit fit_;
  Bitmap frame_;
  bool direct_ = false;  // the frame is the image itself
  bool appeared_ = false;
  bool closeSent_ = false;
};

}  // namespace coderain
