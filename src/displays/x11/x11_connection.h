// The connection to an X server: opened with the program's own error
// lines, the program's own error handlers, and what the server offers.
//
// Xlib reports errors to one process-wide handler with no context of its
// own, so what it learns (a watched window's end, the errors caught by a
// trap) is kept here for the whole process; there is one connection.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>
#include <string_view>

namespace coderain {

struct X11Connection {
  ~X11Connection();

  ::Display* dpy = nullptr;
  int screen = 0;
  ::Window root = None;
  int fd = -1;
  int refreshHz = 0;       // the screen's, 0 when RandR does not say
  double dpi = 0;          // the desktop's density (Xft.dpi), 0 when not set
  bool hasShm = false;     // MIT-SHM: images in shared memory
  int shmCompletion = -1;  // the event type of a finished shared put
  bool hasRandr = false;   // RandR 1.5: monitors
  int randrEvent = -1;     // the event type of a screen change
  int saverEvent = -1;     // MIT-SCREEN-SAVER: the event type of the saver's change, -1 without it
  bool hasDpms = false;    // DPMS: the monitors' power can be asked for
  bool hasXfixes = false;  // XFixes 2: regions, for a window's input shape
  bool windowManager = false;
  Atom wmProtocols = None;
  Atom wmDeleteWindow = None;
};

// Connects to `name` (empty: $DISPLAY). Returns null and sets *error, one
// line naming the display (shown safely) and the reason, on failure.
std::unique_ptr<X11Connection> ConnectX11(const std::string& name, std::string* error);

Atom Intern(::Display* d, const char* name);

// From now on, the end of window `w` (another client destroyed it) shows
// in WatchedWindowGone instead of as an error.
void WatchWindow(::Window w);
// A window of ours that the program destroys itself is watched no more.
void UnwatchWindow(::Window w);
bool WatchedWindowGone();

// Catches the errors of the requests made while it lives, instead of the
// program's handler; End() says the first one's code, 0 for none.
class ErrorTrap {
 public:
  explicit ErrorTrap(::Display* d);
  ~ErrorTrap() { End(); }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;
  int End();

 private:
  ::Display* d_;
};

// The desktop's density as the X resource database holds it (the text of
// the root's RESOURCE_MANAGER property: "name:\tvalue" lines): the value of
// Xft.dpi, or 0 where it is missing or not a sensible number.
double ResourceDpi(std::string_view resources);

}  // namespace coderain
