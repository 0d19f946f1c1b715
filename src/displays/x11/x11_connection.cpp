#include "displays/x11/x11_connection.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/run/launch_request.h"

namespace coderain {

namespace {

// What the X error handler knows. Xlib calls it from inside whatever call
// read the error, with no way to hand it a context of its own.
struct XErrorState {
  // While set, errors are the caller's to look at (an error trap).
  bool trapping = false;
  int trapped = 0;
  // A window we present into was destroyed by another client.
  std::vector<Window> watched;
  bool windowGone = false;
  // Request and error pairs already reported: each is said once.
  std::array<int, 16> reported{};
  int reportedCount = 0;
  int shmOpcode = -1;
  int randrOpcode = -1;
};

XErrorState xErrors;

bool Watched(XID id) {
  return id != None && std::find(xErrors.watched.begin(), xErrors.watched.end(), id) != xErrors.watched.end();
}

// Names the request of an error as people know it: the core request's name
// from Xlib's table, or the extension and the number of its request.
std::string RequestName(::Display* d, const XErrorEvent& e) {
  char name[128] = "";
  if (e.request_code < 128) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", e.request_code);
    XGetErrorDatabaseText(d, "XRequest", number, "", name, sizeof name);
    if (name[0] != '\0') return name;
  }
  const char* extension = e.request_code == xErrors.shmOpcode     ? "MIT-SHM"
                          : e.request_code == xErrors.randrOpcode ? "RANDR"
                                                                  : nullptr;
  if (extension)
    std::snprintf(name, sizeof name, "%s request %d", extension, e.minor_code);
  else
    std::snprintf(name, sizeof name, "request %d.%d", e.request_code, e.minor_code);
  return name;
}

int OnXError(::Display* d, XErrorEvent* e) {
  if (xErrors.trapping) {
    if (xErrors.trapped == 0) xErrors.trapped = e->error_code;
    return 0;
  }
  if ((e->error_code == BadWindow || e->error_code == BadDrawable) && Watched(e->resourceid)) {
    xErrors.windowGone = true;
    return 0;
  }
  // Anything else is reported in one line, once for each kind, and the
  // display goes on: no X error is worth ending a screen saver for.
  const int kind = e->error_code << 16 | e->request_code << 8 | e->minor_code;
  const auto end = xErrors.reported.begin() + xErrors.reportedCount;
  if (std::find(xErrors.reported.begin(), end, kind) != end) return 0;
  if (xErrors.reportedCount < static_cast<int>(xErrors.reported.size()))
    xErrors.reported[static_cast<std::size_t>(xErrors.reportedCount++)] = kind;
  char text[128] = "";
  XGetErrorText(d, e->error_code, text, sizeof text);
  std::fprintf(stderr, "coderain: the display refused %s: %s\n", RequestName(d, *e).c_str(), text);
  return 0;
}

// Losing the X server is fatal; say so in the program's own words rather
// than Xlib's.
int OnDisplayLost(::Display*) {
  std::fputs("coderain: lost the connection to the display\n", stderr);
  std::fflush(stderr);
  std::_Exit(1);
}

// XAUTHORITY naming something that is not a file (a device that never ends
// a read, like /dev/zero) would keep the X library reading it for ever.
// /dev/null is an empty file in all but name.
bool UsableAuthority(std::string* error) {
  const char* path = std::getenv("XAUTHORITY");
  if (!path || !*path) return true;
  struct stat st {};
  if (stat(path, &st) != 0) return true;  // the X library does without
  if (S_ISREG(st.st_mode) || (S_ISCHR(st.st_mode) && st.st_rdev == makedev(1, 3))) return true;
  *error = "XAUTHORITY names " + Printable(path) + ", which is not a file";
  return false;
}

// Opens the display with stderr caught, so that what the X library prints
// itself (the server's refusal) becomes part of the program's one line
// rather than lines of its own before it. Where the library says nothing,
// *said is the system's reason for the failure, unless that is only that
// nobody listens there.
::Display* OpenQuietly(const char* name, std::string* said) {
  std::fflush(stderr);
  const int caught = memfd_create("xlib-messages", MFD_CLOEXEC);
  const int saved = caught >= 0 ? dup(2) : -1;
  if (saved >= 0) dup2(caught, 2);
  errno = 0;
  ::Display* d = XOpenDisplay(name);
  const int failure = errno;
  if (saved >= 0) {
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    char text[512];
    const ssize_t n = pread(caught, text, sizeof text - 1, 0);
    if (n > 0) {
      text[n] = '\0';
      // The first line that says something.
      for (char* line = std::strtok(text, "\n"); line; line = std::strtok(nullptr, "\n"))
        if (line[0] != '\0') {
          *said = line;
          break;
        }
    }
  }
  if (caught >= 0) close(caught);
  const bool nobodyThere = failure == 0 || failure == ENOENT || failure == ECONNREFUSED || failure == EAGAIN;
  if (!d && said->empty() && !nobodyThere) *said = std::strerror(failure);
  return d;
}

// A window manager announces itself with a window named on the root
// window that names itself in turn. One that was killed leaves the root's
// property behind, naming a window that no longer exists.
bool WindowManagerRunning(::Display* d, ::Window root) {
  const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  const auto named = [&](::Window w) -> ::Window {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    ::Window result = None;
    if (XGetWindowProperty(d, w, check, 0, 1, False, XA_WINDOW, &type, &format, &items, &after, &data) == Success &&
        type == XA_WINDOW && format == 32 && items == 1)
      result = static_cast<::Window>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    return result;
  };
  const ::Window wm = named(root);
  if (wm == None) return false;
  ErrorTrap trap(d);
  const ::Window self = named(wm);
  return trap.End() == 0 && self == wm;
}

// What the server offers: shared memory, RandR and its refresh rate, the
// screen saver's news, the monitors' power and input shapes.
void QueryExtensions(X11Connection* c) {
  int opcode = 0, eventBase = 0, errorBase = 0;
  if (XQueryExtension(c->dpy, "MIT-SHM", &opcode, &eventBase, &errorBase) && XShmQueryExtension(c->dpy)) {
    c->hasShm = true;
    xErrors.shmOpcode = opcode;
    c->shmCompletion = XShmGetEventBase(c->dpy) + ShmCompletion;
  }
  if (XQueryExtension(c->dpy, "RANDR", &opcode, &eventBase, &errorBase)) {
    int major = 0, minor = 0;
    XRRQueryVersion(c->dpy, &major, &minor);
    c->hasRandr = major > 1 || (major == 1 && minor >= 5);
    xErrors.randrOpcode = opcode;
    c->randrEvent = eventBase + RRScreenChangeNotify;
    XRRSelectInput(c->dpy, c->root, RRScreenChangeNotifyMask);
    if (XRRScreenConfiguration* config = XRRGetScreenInfo(c->dpy, c->root)) {
      c->refreshHz = XRRConfigCurrentRate(config);
      XRRFreeScreenConfigInfo(config);
    }
  }
  if (XScreenSaverQueryExtension(c->dpy, &eventBase, &errorBase)) {
    c->saverEvent = eventBase + ScreenSaverNotify;
    XScreenSaverSelectInput(c->dpy, c->root, ScreenSaverNotifyMask);
  }
  c->hasDpms = DPMSQueryExtension(c->dpy, &eventBase, &errorBase) && DPMSCapable(c->dpy);
  int major = 0, minor = 0;
  c->hasXfixes =
      XFixesQueryExtension(c->dpy, &eventBase, &errorBase) && XFixesQueryVersion(c->dpy, &major, &minor) && major >= 2;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

X11Connection::~X11Connection() {
  if (dpy) XCloseDisplay(dpy);
}

std::unique_ptr<X11Connection> ConnectX11(const std::string& displayName, std::string* error) {
  const char* env = std::getenv("DISPLAY");
  const std::string name = !displayName.empty() ? displayName : env ? env : "";
  if (name.empty()) {
    *error = "DISPLAY is not set";
    return nullptr;
  }
  std::string reason;
  if (!UsableAuthority(&reason)) {
    *error = Printable(name) + ": " + reason;
    return nullptr;
  }
  auto c = std::make_unique<X11Connection>();
  c->dpy = OpenQuietly(name.c_str(), &reason);
  if (!c->dpy) {
    *error = Printable(name) + ": " + (reason.empty() ? "no X server answers there" : reason);
    return nullptr;
  }
  XSetErrorHandler(OnXError);
  XSetIOErrorHandler(OnDisplayLost);
  c->screen = DefaultScreen(c->dpy);
  c->root = RootWindow(c->dpy, c->screen);
  c->fd = ConnectionNumber(c->dpy);
  QueryExtensions(c.get());
  // Key repeats then come as presses without releases between them, so a
  // key held down stays down.
  XkbSetDetectableAutoRepeat(c->dpy, True, nullptr);
  c->wmProtocols = Intern(c->dpy, "WM_PROTOCOLS");
  c->wmDeleteWindow = Intern(c->dpy, "WM_DELETE_WINDOW");
  c->windowManager = WindowManagerRunning(c->dpy, c->root);
  // Desktops write their scale here; what xrdb merged is read at connection.
  if (const char* resources = XResourceManagerString(c->dpy)) c->dpi = ResourceDpi(resources);
  return c;
}

Atom Intern(::Display* d, const char* name) { return XInternAtom(d, name, False); }

void WatchWindow(::Window w) { xErrors.watched.push_back(w); }

void UnwatchWindow(::Window w) { std::erase(xErrors.watched, w); }

bool WatchedWindowGone() { return xErrors.windowGone; }

ErrorTrap::ErrorTrap(::Display* d) : d_(d) {
  XSync(d_, False);
  xErrors.trapping = true;
  xErrors.trapped = 0;
}

int ErrorTrap::End() {
  if (xErrors.trapping) {
    XSync(d_, False);
    xErrors.trapping = false;
  }
  return xErrors.trapped;
}

double ResourceDpi(std::string_view resources) {
  // Densities past this are mistakes, not screens.
  constexpr double kMaxDpi = 9600;
  double dpi = 0;
  while (!resources.empty()) {
    const std::size_t end = resources.find('\n');
    std::string_view line = resources.substr(0, end);
    resources.remove_prefix(end == std::string_view::npos ? resources.size() : end + 1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || Trim(line.substr(0, colon)) != "Xft.dpi") continue;
    const std::string_view value = Trim(line.substr(colon + 1));
    double v = 0;
    const auto [at, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
    // A later line says the last word, as in the database itself.
    dpi = ec == std::errc() && at == value.data() + value.size() && v > 0 && v <= kMaxDpi ? v : 0;
  }
  return dpi;
}

}  // namespace coderain
