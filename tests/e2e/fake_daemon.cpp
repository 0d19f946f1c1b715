// fake_daemon: plays a screen-saver daemon for the end-to-end tests.
//
//   fake_daemon [--override-redirect] [--no-window] [--argb] WxH [PROGRAM ARGS...]
//
// Creates a black window of WxH at the screen's top left (unless
// --no-window; with --argb, of a 32-bit visual with alpha), maps it, exports its id as XSCREENSAVER_WINDOW and runs the
// program with it, as a daemon runs its display programs. It watches the X
// server's own screen saver throughout.
//
// Says on stdout, a line each: "window 0xID" once the window is mapped,
// "pid N" once the program runs, and when the program ends "ended status N"
// or "ended signal N"; it then exits with the program's status as a shell
// gives it (128 + N for signal N).
//
// Reads commands on stdin, one a line, and answers each in one line:
//   resize W H   resizes the window                       "resized"
//   destroy      destroys the window                      "destroyed"
//   input        the key presses and button presses that reached the window:
//                "input keys K buttons B"
//   saver        the X server's screen saver: "saver on|off|cycle|disabled
//                forced N", N the notifications that said it was forced
//   see-through  the window's pixels whose alpha is not opaque: "see-through N"
// At the end of stdin, or on SIGTERM, it sends the program SIGTERM and waits
// for it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/scrnsaver.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int childPipe[2] = {-1, -1};
volatile std::sig_atomic_t terminated = 0;

void OnChild(int) {
  const char byte = 1;
  [[maybe_unused]] ssize_t n = write(childPipe[1], &byte, 1);
}

void OnTerm(int) {
  terminated = 1;
  OnChild(0);
}

int OnXError(Display* d, XErrorEvent* e) {
  char text[128];
  XGetErrorText(d, e->error_code, text, sizeof text);
  std::printf("x-error %s (request %d)\n", text, e->request_code);
  return 0;
}

// The status of an ended program as a shell gives it.
int ShellStatus(int status) {
  if (WIFSIGNALED(status)) {
    std::printf("ended signal %d\n", WTERMSIG(status));
    return 128 + WTERMSIG(status);
  }
  std::printf("ended status %d\n", WEXITSTATUS(status));
  return WEXITSTATUS(status);
}

const char* SaverState(int state) {
  switch (state) {
    case ScreenSaverOff:
      return "off";
    case ScreenSaverOn:
      return "on";
    case ScreenSaverCycle:
      return "cycle";
    default:
      return "disabled";
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  bool overrideRedirect = false, noWindow = false, argb = false;
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    if (std::strcmp(argv[i], "--override-redirect") == 0)
      overrideRedirect = true;
    else if (std::strcmp(argv[i], "--no-window") == 0)
      noWindow = true;
    else if (std::strcmp(argv[i], "--argb") == 0)
      argb = true;
    else
      break;
  }
  unsigned width = 0, height = 0;
  if (i >= argc || std::sscanf(argv[i], "%ux%u", &width, &height) != 2 || width == 0 || height == 0) {
    std::fputs("usage: fake_daemon [--override-redirect] [--no-window] [--argb] WxH [PROGRAM ARGS...]\n", stderr);
    return 2;
  }
  char** program = argv + i + 1;

  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fputs("fake_daemon: cannot open the display\n", stderr);
    return 2;
  }
  XSetErrorHandler(OnXError);
  fcntl(ConnectionNumber(d), F_SETFD, FD_CLOEXEC);
  const Window root = DefaultRootWindow(d);
  int saverEvent = -1, saverError = 0;
  if (XScreenSaverQueryExtension(d, &saverEvent, &saverError))
    XScreenSaverSelectInput(d, root, ScreenSaverNotifyMask | ScreenSaverCycleMask);

  Window w = None;
  if (!noWindow) {
    XSetWindowAttributes a{};
    a.background_pixel = BlackPixel(d, DefaultScreen(d));
    a.override_redirect = overrideRedirect ? True : False;
    a.event_mask = KeyPressMask | ButtonPressMask | StructureNotifyMask;
    XVisualInfo argbVisual{};
    if (argb && !XMatchVisualInfo(d, DefaultScreen(d), 32, TrueColor, &argbVisual)) {
      std::fputs("fake_daemon: the screen has no 32-bit visual\n", stderr);
      return 2;
    }
    a.colormap = argb ? XCreateColormap(d, root, argbVisual.visual, AllocNone) : 0;
    w = XCreateWindow(d, root, 0, 0, width, height, 0, argb ? 32 : CopyFromParent, InputOutput,
                      argb ? argbVisual.visual : CopyFromParent,
                      CWBackPixel | CWBorderPixel | CWOverrideRedirect | CWEventMask | (argb ? CWColormap : 0), &a);
    XStoreName(d, w, "fake_daemon");
    XMapRaised(d, w);
    for (XEvent ev;;) {
      XNextEvent(d, &ev);
      if (ev.type == MapNotify && ev.xmap.window == w) break;
    }
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", w);
    setenv("XSCREENSAVER_WINDOW", id, 1);
    std::printf("window %s\n", id);
  }

  if (pipe2(childPipe, O_CLOEXEC | O_NONBLOCK) != 0) return 2;
  std::signal(SIGCHLD, OnChild);
  std::signal(SIGTERM, OnTerm);
  pid_t child = -1;
  if (*program) {
    child = fork();
    if (child == 0) {
      std::signal(SIGCHLD, SIG_DFL);
      std::signal(SIGTERM, SIG_DFL);
      execvp(program[0], program);
      std::perror("fake_daemon: exec");
      _exit(127);
    }
    std::printf("pid %d\n", static_cast<int>(child));
  }

  int keys = 0, buttons = 0, forced = 0;
  const auto countEvents = [&] {
    while (XPending(d) > 0) {
      XEvent ev;
      XNextEvent(d, &ev);
      if (ev.type == KeyPress) ++keys;
      if (ev.type == ButtonPress) ++buttons;
      if (ev.type == saverEvent && reinterpret_cast<XScreenSaverNotifyEvent&>(ev).forced) ++forced;
    }
  };
  // Ends the program as a daemon does, and this with it.
  const auto endProgram = [&] {
    if (child <= 0) return 0;
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    return ShellStatus(status);
  };
  std::string line;
  for (;;) {
    countEvents();
    pollfd p[3] = {{ConnectionNumber(d), POLLIN, 0}, {childPipe[0], POLLIN, 0}, {0, POLLIN, 0}};
    if (poll(p, 3, -1) < 0) continue;
    if (p[1].revents) {
      char buf[16];
      while (read(childPipe[0], buf, sizeof buf) > 0) {
      }
      int status = 0;
      if (child > 0 && waitpid(child, &status, WNOHANG) == child) return ShellStatus(status);
      if (terminated) return endProgram();
    }
    if (!(p[2].revents & (POLLIN | POLLHUP))) continue;
    char c = 0;
    const ssize_t n = read(0, &c, 1);
    if (n <= 0) return endProgram();
    if (c != '\n') {
      line += c;
      continue;
    }
    unsigned a = 0, b = 0;
    if (std::sscanf(line.c_str(), "resize %u %u", &a, &b) == 2) {
      XResizeWindow(d, w, a, b);
      XSync(d, False);
      std::puts("resized");
    } else if (line == "destroy") {
      XDestroyWindow(d, w);
      XSync(d, False);
      std::puts("destroyed");
    } else if (line == "input") {
      XSync(d, False);
      countEvents();
      std::printf("input keys %d buttons %d\n", keys, buttons);
    } else if (line == "saver") {
      XScreenSaverInfo info{};
      XScreenSaverQueryInfo(d, root, &info);
      XSync(d, False);
      countEvents();
      std::printf("saver %s forced %d\n", SaverState(info.state), forced);
    } else if (line == "see-through") {
      XWindowAttributes wa{};
      XGetWindowAttributes(d, w, &wa);
      long clear = 0;
      if (XImage* image = XGetImage(d, w, 0, 0, static_cast<unsigned>(wa.width), static_cast<unsigned>(wa.height),
                                    AllPlanes, ZPixmap)) {
        for (int y = 0; y < image->height; ++y)
          for (int x = 0; x < image->width; ++x) clear += (XGetPixel(image, x, y) >> 24) != 0xFF;
        XDestroyImage(image);
      }
      std::printf("see-through %ld\n", clear);
    } else {
      std::printf("unknown command: %s\n", line.c_str());
    }
    line.clear();
  }
}
