#include "platform/x11/x11_front_end.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/display_scale.h"
#include "platform/window_fit.h"

namespace coderain {

namespace {

// What the X error handler knows. Xlib calls it from inside whatever call
// read the error, with no way to hand it a context of its own.
struct XErrorState {
  // While set, errors are the caller's to look at (an error trap).
  bool trapping = false;
  int trapped = 0;
  // A window we present into was destroyed by another client.
  std::array<Window, 4> watched{};
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

void Watch(::Window w) {
  for (Window& slot : xErrors.watched)
    if (slot == None) {
      slot = w;
      return;
    }
}

// Names the request of an error as people know it: the core request's name
// from Xlib's table, or the extension and the number of its request.
std::string RequestName(Display* d, const XErrorEvent& e) {
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

int OnXError(Display* d, XErrorEvent* e) {
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
int OnDisplayLost(Display*) {
  std::fputs("coderain: lost the connection to the display\n", stderr);
  std::fflush(stderr);
  std::_Exit(1);
}

// Catches the errors of the requests made while it lives, instead of the
// handler above; End() says the first one's code, 0 for none.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* d) : d_(d) {
    XSync(d_, False);
    xErrors.trapping = true;
    xErrors.trapped = 0;
  }
  ~ErrorTrap() { End(); }
  int End() {
    if (xErrors.trapping) {
      XSync(d_, False);
      xErrors.trapping = false;
    }
    return xErrors.trapped;
  }

 private:
  Display* d_;
};

// XAUTHORITY naming something that is not a file (a device that never ends
// a read, like /dev/zero) would keep the X library reading it for ever.
// /dev/null is an empty file in all but name.
bool UsableAuthority(std::string* error) {
  const char* path = std::getenv("XAUTHORITY");
  if (!path || !*path) return true;
  struct stat st {};
  if (stat(path, &st) != 0) return true;  // the X library does without
  if (S_ISREG(st.st_mode) || (S_ISCHR(st.st_mode) && st.st_rdev == makedev(1, 3))) return true;
  *error = std::string("XAUTHORITY names ") + path + ", which is not a file";
  return false;
}

// Opens the display with stderr caught, so that what the X library prints
// itself (the server's refusal) becomes part of the program's one line
// rather than lines of its own before it.
Display* OpenQuietly(const char* name, std::string* said) {
  std::fflush(stderr);
  const int caught = memfd_create("xlib-messages", MFD_CLOEXEC);
  const int saved = caught >= 0 ? dup(2) : -1;
  if (saved >= 0) dup2(caught, 2);
  Display* d = XOpenDisplay(name);
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
  return d;
}

Atom Intern(Display* d, const char* name) { return XInternAtom(d, name, False); }

// What every window of ours hears: keys, buttons, and its own changes.
constexpr long kInputEvents = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;

bool IsWheel(unsigned button) { return button >= 4 && button <= 7; }

}  // namespace

X11FrontEnd::~X11FrontEnd() {
  if (!dpy_) return;
  FreeImage(scene_);
  if (scene_.gc) XFreeGC(dpy_, scene_.gc);
  XCloseDisplay(dpy_);
}

std::unique_ptr<X11FrontEnd> X11FrontEnd::Open(const char* displayName, std::string* error) {
  const char* shown = displayName ? displayName : std::getenv("DISPLAY");
  if (!shown || !*shown) {
    *error = "DISPLAY is not set";
    return nullptr;
  }
  const std::string name = shown;
  std::string reason;
  if (!UsableAuthority(&reason)) {
    *error = name + ": " + reason;
    return nullptr;
  }
  std::unique_ptr<X11FrontEnd> x(new X11FrontEnd);
  x->dpy_ = OpenQuietly(displayName, &reason);
  if (!x->dpy_) {
    *error = name + ": " + (reason.empty() ? "no X server answers there" : reason);
    return nullptr;
  }
  if (!x->Init(error)) return nullptr;
  return x;
}

bool X11FrontEnd::Init(std::string* error) {
  XSetErrorHandler(OnXError);
  XSetIOErrorHandler(OnDisplayLost);
  screen_ = DefaultScreen(dpy_);
  root_ = RootWindow(dpy_, screen_);
  fd_ = ConnectionNumber(dpy_);

  int opcode = 0, eventBase = 0, errorBase = 0;
  if (XQueryExtension(dpy_, "MIT-SHM", &opcode, &eventBase, &errorBase) && XShmQueryExtension(dpy_)) {
    hasShm_ = true;
    xErrors.shmOpcode = opcode;
    shmCompletion_ = XShmGetEventBase(dpy_) + ShmCompletion;
  }
  if (XQueryExtension(dpy_, "RANDR", &opcode, &eventBase, &errorBase)) {
    int major = 0, minor = 0;
    XRRQueryVersion(dpy_, &major, &minor);
    hasRandr_ = major > 1 || (major == 1 && minor >= 5);
    xErrors.randrOpcode = opcode;
    randrEvent_ = eventBase + RRScreenChangeNotify;
    XRRSelectInput(dpy_, root_, RRScreenChangeNotifyMask);
    if (XRRScreenConfiguration* config = XRRGetScreenInfo(dpy_, root_)) {
      refreshHz_ = XRRConfigCurrentRate(config);
      XRRFreeScreenConfigInfo(config);
    }
  }
  // Key repeats then come as presses without releases between them, so a
  // key held down stays down.
  XkbSetDetectableAutoRepeat(dpy_, True, nullptr);
  wmProtocols_ = Intern(dpy_, "WM_PROTOCOLS");
  wmDeleteWindow_ = Intern(dpy_, "WM_DELETE_WINDOW");
  windowManager_ = WindowManagerRunning();
  // Desktops write their scale here; what xrdb merged is read at connection.
  if (const char* resources = XResourceManagerString(dpy_)) dpi_ = ResourceDpi(resources);
  (void)error;
  return true;
}

std::vector<Monitor> X11FrontEnd::Monitors() const {
  std::vector<Monitor> monitors;
  if (hasRandr_) {
    int n = 0;
    if (XRRMonitorInfo* info = XRRGetMonitors(dpy_, root_, True, &n)) {
      for (int i = 0; i < n; ++i)
        monitors.push_back({{info[i].x, info[i].y, info[i].width, info[i].height}, info[i].primary != 0});
      XRRFreeMonitors(info);
    }
  }
  if (monitors.empty()) monitors.push_back({{0, 0, DisplayWidth(dpy_, screen_), DisplayHeight(dpy_, screen_)}, true});
  // The primary monitor first; without one marked, the first stands in.
  std::stable_partition(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; });
  return monitors;
}

Rect X11FrontEnd::PrimaryBounds() const { return Monitors().front().bounds; }

// A window manager announces itself with a window named on the root
// window that names itself in turn. One that was killed leaves the root's
// property behind, naming a window that no longer exists.
bool X11FrontEnd::WindowManagerRunning() const {
  const Atom check = XInternAtom(dpy_, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  const auto named = [&](::Window w) -> ::Window {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    ::Window result = None;
    if (XGetWindowProperty(dpy_, w, check, 0, 1, False, XA_WINDOW, &type, &format, &items, &after, &data) == Success &&
        type == XA_WINDOW && format == 32 && items == 1)
      result = static_cast<::Window>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    return result;
  };
  const ::Window wm = named(root_);
  if (wm == None) return false;
  ErrorTrap trap(dpy_);
  const ::Window self = named(wm);
  return trap.End() == 0 && self == wm;
}

bool X11FrontEnd::CreateWindow(const char* title, std::string* error) {
  const Rect b = PrimaryBounds();
  ::Window w = OpenWindow(b, title, kInputEvents | ExposureMask);
  scene_.window = w;
  scene_.visual = DefaultVisual(dpy_, screen_);
  scene_.depth = DefaultDepth(dpy_, screen_);
  Watch(w);
  scene_.gc = XCreateGC(dpy_, w, 0, nullptr);
  CoverOtherMonitors();
  return SizeImage(scene_, b.w, b.h, error);
}

::Window X11FrontEnd::OpenWindow(Rect b, const char* title, long eventMask) {
  XSetWindowAttributes a{};
  a.background_pixel = BlackPixel(dpy_, screen_);
  a.border_pixel = 0;
  a.event_mask = eventMask;
  ::Window w =
      XCreateWindow(dpy_, root_, b.x, b.y, static_cast<unsigned>(b.w), static_cast<unsigned>(b.h), 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWBackPixel | CWBorderPixel | CWEventMask, &a);
  XStoreName(dpy_, w, title);
  XChangeProperty(dpy_, w, Intern(dpy_, "_NET_WM_NAME"), Intern(dpy_, "UTF8_STRING"), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));
  XClassHint cls{const_cast<char*>("coderain"), const_cast<char*>("coderain")};
  XSetClassHint(dpy_, w, &cls);
  XSetWMProtocols(dpy_, w, &wmDeleteWindow_, 1);
  XSizeHints size{};
  size.flags = USPosition | USSize;
  size.x = b.x;
  size.y = b.y;
  size.width = b.w;
  size.height = b.h;
  XSetWMNormalHints(dpy_, w, &size);
  // No frame and no caption: flags, functions, decorations, input mode,
  // status, with only the decorations given, and none of them.
  const long noDecorations[5] = {2, 0, 0, 0, 0};
  const Atom motif = Intern(dpy_, "_MOTIF_WM_HINTS");
  XChangeProperty(dpy_, w, motif, motif, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(noDecorations), 5);
  // Under a window manager the window asks to be full screen from the
  // moment it is mapped, on the monitor it stands on. Without one it
  // already covers the monitor.
  if (windowManager_) {
    const Atom fullscreen = Intern(dpy_, "_NET_WM_STATE_FULLSCREEN");
    XChangeProperty(dpy_, w, Intern(dpy_, "_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&fullscreen), 1);
  }
  return w;
}

void X11FrontEnd::CoverOtherMonitors() {
  const std::vector<Monitor> monitors = Monitors();
  std::vector<Rect> others;
  // A monitor that mirrors the primary shows the scene already.
  for (const Monitor& m : monitors)
    if (m.bounds != monitors.front().bounds) others.push_back(m.bounds);
  if (others == covered_ && others.size() == covers_.size()) return;
  // The new windows go up before the old ones go, so that no monitor shows
  // the desktop in between. The server paints them black itself, on every
  // exposure: no image is needed.
  std::vector<::Window> old = std::move(covers_);
  covers_.clear();
  for (const Rect& b : others) {
    covers_.push_back(OpenWindow(b, "coderain", kInputEvents));
    if (shown_) XMapWindow(dpy_, covers_.back());
  }
  // Where monitors overlap, the scene stays on top.
  if (shown_ && !covers_.empty()) XRaiseWindow(dpy_, scene_.window);
  for (::Window w : old) XDestroyWindow(dpy_, w);
  covered_ = std::move(others);
}

bool X11FrontEnd::UseWindow(unsigned long id, std::string* error) {
  const ::Window w = id != 0 ? id : root_;
  char name[32];
  std::snprintf(name, sizeof name, "0x%lx", w);
  XWindowAttributes a{};
  {
    // Selecting first means that no change of size after the question
    // goes unseen. Only the window's size and exposures: its keyboard and
    // mouse belong to whoever lent it.
    ErrorTrap trap(dpy_);
    XSelectInput(dpy_, w, StructureNotifyMask | ExposureMask);
    const Status found = XGetWindowAttributes(dpy_, w, &a);
    if (trap.End() != 0 || !found) {
      *error = std::string("cannot draw into window ") + name + ": there is no such window";
      return false;
    }
  }
  if (a.c_class == InputOnly) {
    *error = std::string("cannot draw into window ") + name + ": it is an input-only window";
    return false;
  }
  scene_.window = w;
  scene_.given = true;
  scene_.visual = a.visual;
  scene_.depth = a.depth;
  // From here on, the window's end shows as an error on any request.
  Watch(w);
  scene_.gc = XCreateGC(dpy_, w, 0, nullptr);
  return SizeImage(scene_, a.width, a.height, error);
}

Scaling X11FrontEnd::ChooseScaling(const Output& out, int width, int height) const {
  if (out.given) {
    const int k = ReductionFor(width, height);
    if (k > 1) return {1, k};
  }
  // A window of full size: dense screens show the scene in blocks of s x s
  // pixels.
  return {DisplayScale(width, height, dpi_, requestedScale_), 1};
}

int X11FrontEnd::RefreshHz() const { return MiniatureHz(refreshHz_, scene_.scaling.down); }

int X11FrontEnd::SceneWidth() const { return scene_.width / scene_.scaling.up * scene_.scaling.down; }
int X11FrontEnd::SceneHeight() const { return scene_.height / scene_.scaling.up * scene_.scaling.down; }

void X11FrontEnd::Show() {
  // A window lent to us is shown, or not, by its owner.
  if (scene_.given) return;
  shown_ = true;
  for (::Window w : covers_) XMapRaised(dpy_, w);
  XMapRaised(dpy_, scene_.window);
  XFlush(dpy_);
}

void X11FrontEnd::FreeImage(Output& out) {
  if (!out.image) return;
  if (out.shared) {
    XShmDetach(dpy_, &out.shm);
    shmdt(out.shm.shmaddr);
    out.image->data = nullptr;
  }
  XDestroyImage(out.image);  // frees the data of a plain image
  out.image = nullptr;
  out.shared = false;
  out.frame = Bitmap();
}

bool X11FrontEnd::SizeImage(Output& out, int width, int height, std::string* error) {
  if (out.visual->c_class != TrueColor) {
    *error = std::string(out.given ? "the window's" : "the screen's") + " colours (depth " + std::to_string(out.depth) +
             ") cannot be shown: only true colour can";
    return false;
  }
  FreeImage(out);
  out.width = width;
  out.height = height;
  out.scaling = ChooseScaling(out, width, height);
  if (width <= 0 || height <= 0) return true;
  const auto w = static_cast<unsigned>(width), h = static_cast<unsigned>(height);
  if (hasShm_) {
    out.image = XShmCreateImage(dpy_, out.visual, static_cast<unsigned>(out.depth), ZPixmap, nullptr, &out.shm, w, h);
    if (out.image) {
      const std::size_t bytes = static_cast<std::size_t>(out.image->bytes_per_line) * h;
      out.shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
      void* addr = out.shm.shmid >= 0 ? shmat(out.shm.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
      if (addr != reinterpret_cast<void*>(-1)) {
        out.image->data = out.shm.shmaddr = static_cast<char*>(addr);
        out.shm.readOnly = False;
        ErrorTrap trap(dpy_);
        XShmAttach(dpy_, &out.shm);
        out.shared = trap.End() == 0;
        if (!out.shared) shmdt(addr);
      }
      // Marked for removal now, the segment goes when both sides let go.
      if (out.shm.shmid >= 0) shmctl(out.shm.shmid, IPC_RMID, nullptr);
      if (!out.shared) {
        out.image->data = nullptr;
        XDestroyImage(out.image);
        out.image = nullptr;
        // A server that cannot share memory with us (a remote one) will
        // not start to: plain images from now on.
        hasShm_ = false;
      }
    }
  }
  if (!out.image) {
    out.image = XCreateImage(dpy_, out.visual, static_cast<unsigned>(out.depth), ZPixmap, 0, nullptr, w, h, 32, 0);
    if (!out.image) {
      *error = "cannot make an image of " + std::to_string(width) + "x" + std::to_string(height) + " pixels";
      return false;
    }
    out.image->data = static_cast<char*>(std::calloc(static_cast<std::size_t>(out.image->bytes_per_line) * h, 1));
  }
  if (!out.copier) {
    PixelLayout layout;
    layout.bytesPerPixel = out.image->bits_per_pixel / 8;
    layout.bigEndian = out.image->byte_order == MSBFirst;
    layout.redMask = static_cast<std::uint32_t>(out.visual->red_mask);
    layout.greenMask = static_cast<std::uint32_t>(out.visual->green_mask);
    layout.blueMask = static_cast<std::uint32_t>(out.visual->blue_mask);
    out.copier = std::make_unique<FrameCopier>(layout);
  }
  // Drawn straight into, the image is what the scene shows with no copy
  // at all: the common case, a 24-bit screen at one pixel per pixel.
  if (out.copier->Native() && out.scaling.up == 1 && out.scaling.down == 1)
    out.frame = Bitmap(reinterpret_cast<std::uint32_t*>(out.image->data), width, height, out.image->bytes_per_line / 4);
  return true;
}

void X11FrontEnd::Put(Output& out, Rect r, bool last) {
  if (out.shared) {
    XShmPutImage(dpy_, out.window, out.gc, out.image, r.x, r.y, r.x, r.y, static_cast<unsigned>(r.w),
                 static_cast<unsigned>(r.h), last ? True : False);
    if (last) ++pendingPuts_;
  } else {
    XPutImage(dpy_, out.window, out.gc, out.image, r.x, r.y, r.x, r.y, static_cast<unsigned>(r.w),
              static_cast<unsigned>(r.h));
  }
}

bool X11FrontEnd::Present(const Bitmap& frame, const DamageList& damage) {
  if (pendingPuts_ > 0) return false;
  if (!scene_.image) return true;
  const ImageView view{reinterpret_cast<std::uint8_t*>(scene_.image->data), scene_.width, scene_.height,
                       scene_.image->bytes_per_line};
  const std::vector<Rect>& rects = damage.Rects();
  // The last rectangle that shows anything asks the server to say when it
  // has taken the present.
  std::size_t last = rects.size();
  for (std::size_t i = rects.size(); i-- > 0;)
    if (!FrameCopier::ImageRect(rects[i].Intersect(frame.Bounds()), scene_.scaling, view).Empty()) {
      last = i;
      break;
    }
  for (std::size_t i = 0; i < rects.size() && last < rects.size(); ++i) {
    const Rect out = frame.SharesPixels(scene_.frame)
                         ? FrameCopier::ImageRect(rects[i].Intersect(frame.Bounds()), scene_.scaling, view)
                         : scene_.copier->Copy(frame, rects[i], scene_.scaling, view);
    if (!out.Empty()) Put(scene_, out, i == last);
  }
  XFlush(dpy_);
  return true;
}

void X11FrontEnd::PresentAll(const Bitmap& frame) {
  if (!scene_.image) return;
  const ImageView view{reinterpret_cast<std::uint8_t*>(scene_.image->data), scene_.width, scene_.height,
                       scene_.image->bytes_per_line};
  if (!frame.SharesPixels(scene_.frame)) scene_.copier->Copy(frame, frame.Bounds(), scene_.scaling, view);
  // The whole window, so that what lies past the scaled frame is black too.
  Put(scene_, {0, 0, scene_.width, scene_.height}, true);
  XFlush(dpy_);
}

void X11FrontEnd::Wait(int timeoutMs, int wakeFd, std::vector<FrontEndEvent>* events) {
  if (XEventsQueued(dpy_, QueuedAfterFlush) == 0) {
    pollfd p[2] = {{fd_, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    ::poll(p, wakeFd >= 0 ? 2 : 1, timeoutMs);
  }
  const std::size_t first = events->size();
  const int oldW = scene_.width, oldH = scene_.height;
  int newW = oldW, newH = oldH;
  while (XPending(dpy_) > 0) {
    XEvent ev;
    XNextEvent(dpy_, &ev);
    if (ev.type == ConfigureNotify && ev.xconfigure.window == scene_.window) {
      // Only the last size of a run of changes matters.
      newW = ev.xconfigure.width;
      newH = ev.xconfigure.height;
      continue;
    }
    Translate(ev, events);
  }
  if (newW != oldW || newH != oldH) {
    // The scene starts again even when no image could be made for the new
    // size: the old one, which it may draw into, is gone. Until then its
    // frame must not be read: the restart presents the whole new frame, so
    // the exposures of this batch go.
    const auto exposed = [](const FrontEndEvent& e) { return e.kind == FrontEndEvent::Kind::Exposed; };
    events->erase(std::remove_if(events->begin() + static_cast<std::ptrdiff_t>(first), events->end(), exposed),
                  events->end());
    std::string error;
    SizeImage(scene_, newW, newH, &error);
    FrontEndEvent e{FrontEndEvent::Kind::Resized};
    e.width = SceneWidth();
    e.height = SceneHeight();
    events->push_back(e);
  }
  if (xErrors.windowGone) events->push_back({FrontEndEvent::Kind::WindowGone});
}

void X11FrontEnd::Translate(const XEvent& ev, std::vector<FrontEndEvent>* events) {
  using Kind = FrontEndEvent::Kind;
  const auto push = [events](FrontEndEvent e) { events->push_back(std::move(e)); };
  const auto at = [this](int x, int y) {
    return Point{x / scene_.scaling.up * scene_.scaling.down, y / scene_.scaling.up * scene_.scaling.down};
  };
  switch (ev.type) {
    case Expose:
      if (ev.xexpose.count == 0 && (events->empty() || events->back().kind != Kind::Exposed)) push({Kind::Exposed});
      break;
    case MapNotify:
      if (ev.xmap.window != scene_.window || appeared_ || scene_.given) break;
      appeared_ = true;
      {
        // The keys held down as the window appears: the Enter that started
        // the program is often one of them.
        FrontEndEvent e{Kind::Appeared};
        char keymap[32];
        XQueryKeymap(dpy_, keymap);
        for (int code = 0; code < 256; ++code)
          if (keymap[code / 8] & (1 << (code % 8))) e.keys.push_back(code);
        push(std::move(e));
      }
      // Without a window manager nobody gives the window the keyboard.
      if (!windowManager_) XSetInputFocus(dpy_, scene_.window, RevertToPointerRoot, CurrentTime);
      break;
    case KeyPress:
    case KeyRelease: {
      FrontEndEvent e{ev.type == KeyPress ? Kind::KeyDown : Kind::KeyUp};
      e.key = static_cast<int>(ev.xkey.keycode);
      push(e);
      break;
    }
    case ButtonPress:
    case ButtonRelease: {
      // The wheel turns; it does not click.
      if (IsWheel(ev.xbutton.button)) break;
      FrontEndEvent e{ev.type == ButtonPress ? Kind::ButtonDown : Kind::ButtonUp};
      // A monitor without the scene is bare screen: a point outside it.
      e.at = ev.xbutton.window == scene_.window ? at(ev.xbutton.x, ev.xbutton.y) : Point{-1, -1};
      push(e);
      break;
    }
    case ClientMessage:
      if (ev.xclient.message_type == wmProtocols_ && static_cast<Atom>(ev.xclient.data.l[0]) == wmDeleteWindow_)
        push({Kind::CloseRequested});
      break;
    case DestroyNotify:
      if (ev.xdestroywindow.window == scene_.window) {
        push({Kind::WindowGone});
      } else if (const auto gone = std::find(covers_.begin(), covers_.end(), ev.xdestroywindow.window);
                 gone != covers_.end()) {
        // Another program destroyed a black window: its monitor is covered
        // again.
        covers_.erase(gone);
        CoverOtherMonitors();
      }
      break;
    case MappingNotify:
      XRefreshKeyboardMapping(const_cast<XMappingEvent*>(&ev.xmapping));
      break;
    default:
      if (ev.type == shmCompletion_) {
        pendingPuts_ = 0;
      } else if (ev.type == randrEvent_) {
        XRRUpdateConfiguration(const_cast<XEvent*>(&ev));
        // The window follows the primary monitor: by itself without a
        // window manager, and on request with one, which keeps a full
        // screen window on whichever monitor it overlapped most. A window
        // lent to us is its owner's to move and to cover around.
        if (!scene_.given) {
          const Rect b = PrimaryBounds();
          XMoveResizeWindow(dpy_, scene_.window, b.x, b.y, static_cast<unsigned>(b.w), static_cast<unsigned>(b.h));
          CoverOtherMonitors();
        }
      }
      break;
  }
}

}  // namespace coderain
