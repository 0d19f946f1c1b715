// The program's front end on an X server, through Xlib.
//
// One connection. The scene is shown in a window of our own over the
// primary monitor, scaled up by a whole number on dense screens, with a
// black window of ours over every other monitor; or in a window lent to it
// (a screen-saver daemon's). It is presented from a shared-memory image (a
// plain image where the server cannot share memory) in whatever true-colour
// layout the window's visual has. Presents do not wait on the server: a
// present is sent only once the server has taken the last one, so a server
// that stops answering never blocks the loop.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/frame_copy.h"
#include "platform/front_end.h"

namespace coderain {

// A monitor's place on the X screen, in pixels.
struct Monitor {
  Rect bounds;
  bool primary = false;
};

class X11FrontEnd : public FrontEnd {
 public:
  ~X11FrontEnd() override;

  // Connects to `displayName` (null: $DISPLAY). Returns null and sets
  // *error, one line naming the display and the reason, on failure.
  static std::unique_ptr<X11FrontEnd> Open(const char* displayName, std::string* error);

  // The scale the command line asks for (1 to 8), or 0 to take it from the
  // monitor's size and the desktop's density. Before CreateWindow.
  void RequestScale(int scale) { requestedScale_ = scale; }

  // Creates the scene's window, titled `title` and not yet shown, over the
  // primary monitor, and a black window over every other monitor: full
  // screen under a window manager, borderless windows of the monitors'
  // sizes at their places without one. Returns false and sets *error on
  // failure.
  bool CreateWindow(const char* title, std::string* error);
  // Draws into the existing window `id` (0: the root window) instead: the
  // scene takes the window's size and follows it, in miniature where the
  // window is too short for the layout. The window stays its owner's: it
  // is never mapped, moved, resized, restacked or titled, and none of its
  // keyboard or mouse events are taken. Returns false and sets *error, one
  // line naming the window, when there is no such window or it cannot be
  // drawn in.
  bool UseWindow(unsigned long id, std::string* error);

  int SceneWidth() const override;
  int SceneHeight() const override;
  int RefreshHz() const override;
  Bitmap* SceneFrame() override { return scene_.frame.Width() > 0 ? &scene_.frame : nullptr; }
  void Show() override;
  void Wait(int timeoutMs, int wakeFd, std::vector<FrontEndEvent>* events) override;
  bool Present(const Bitmap& frame, const DamageList& damage) override;
  void PresentAll(const Bitmap& frame) override;

 private:
  // A window we present into, and its image.
  struct Output {
    ::Window window = None;
    bool given = false;  // someone else's window, lent to us
    Visual* visual = nullptr;
    int depth = 0;
    int width = 0;  // the window's size, and its image's
    int height = 0;
    Scaling scaling;
    XImage* image = nullptr;
    XShmSegmentInfo shm{};
    bool shared = false;
    std::unique_ptr<FrameCopier> copier;
    // The image as the scene's framebuffer, when the scene draws straight
    // into it; empty otherwise.
    Bitmap frame;
    GC gc = nullptr;
  };

  X11FrontEnd() = default;
  bool Init(std::string* error);
  std::vector<Monitor> Monitors() const;
  Rect PrimaryBounds() const;
  bool WindowManagerRunning() const;
  // A borderless window of ours at `bounds`, asking to be full screen under
  // a window manager, not yet shown.
  ::Window OpenWindow(Rect bounds, const char* title, long eventMask);
  // Covers every monitor but the primary with a black window, as the
  // monitors stand now; windows over monitors that went away go.
  void CoverOtherMonitors();
  // How the scene's frame maps onto an output of width x height pixels.
  Scaling ChooseScaling(const Output& out, int width, int height) const;
  // (Re)creates the output's image at width x height. Returns false and
  // sets *error when the window's visual cannot be shown.
  bool SizeImage(Output& out, int width, int height, std::string* error);
  void FreeImage(Output& out);
  void Put(Output& out, Rect r, bool last);
  void Translate(const XEvent& ev, std::vector<FrontEndEvent>* events);

  Display* dpy_ = nullptr;
  int screen_ = 0;
  ::Window root_ = None;
  int fd_ = -1;
  int refreshHz_ = 0;
  bool hasShm_ = false;
  int shmCompletion_ = -1;  // the event type of a finished shared put
  bool hasRandr_ = false;
  int randrEvent_ = -1;
  bool windowManager_ = false;
  bool appeared_ = false;
  int pendingPuts_ = 0;  // presents sent that the server has not yet taken
  Output scene_;
  int requestedScale_ = 0;
  double dpi_ = 0;  // the desktop's density (Xft.dpi), 0 when not set
  bool shown_ = false;
  // The black windows over the other monitors, and the monitors they cover.
  std::vector<::Window> covers_;
  std::vector<Rect> covered_;
  Atom wmProtocols_ = None;
  Atom wmDeleteWindow_ = None;
};

}  // namespace coderain
