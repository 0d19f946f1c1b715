// x11_floor_probe: the least an X11 client can spend to show what coderain
// shows, for bench/run.sh to set coderain's CPU against.
//
//   x11_floor_probe [RECTS [FPS]]
//
// Opens a window over the whole screen and a shared-memory image of its
// size, as coderain's X11 display does, and presents RECTS rectangles of a
// digit cell (15 x 18) a frame (46 by default), FPS frames a second (60),
// each frame at its boundary, with a fence every 15 presents; it draws and
// computes nothing else. Runs until killed.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

std::int64_t NowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
  const int rects = argc > 1 ? std::atoi(argv[1]) : 46;
  const int fps = argc > 2 ? std::atoi(argv[2]) : 60;
  Display* d = XOpenDisplay(nullptr);
  if (!d || rects < 1 || fps < 1 || !XShmQueryExtension(d)) {
    std::fputs("x11_floor_probe: needs an X server with MIT-SHM\n", stderr);
    return 1;
  }
  const int s = DefaultScreen(d);
  const int w = DisplayWidth(d, s), h = DisplayHeight(d, s);
  XSetWindowAttributes a{};
  a.background_pixel = BlackPixel(d, s);
  const Window win = XCreateWindow(d, RootWindow(d, s), 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                                   CopyFromParent, InputOutput, CopyFromParent, CWBackPixel, &a);
  XShmSegmentInfo shm{};
  XImage* image = XShmCreateImage(d, DefaultVisual(d, s), static_cast<unsigned>(DefaultDepth(d, s)), ZPixmap, nullptr,
                                  &shm, static_cast<unsigned>(w), static_cast<unsigned>(h));
  shm.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(h),
                     IPC_CREAT | 0600);
  image->data = shm.shmaddr = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
  XShmAttach(d, &shm);
  shmctl(shm.shmid, IPC_RMID, nullptr);
  const GC gc = XCreateGC(d, win, 0, nullptr);
  XMapRaised(d, win);
  XSync(d, False);

  const std::int64_t frameNs = 1000000000 / fps;
  std::int64_t next = NowNs();
  std::uint32_t random = 1;
  for (long frame = 0;; ++frame) {
    for (int i = 0; i < rects; ++i) {
      random = random * 1664525u + 1013904223u;
      const int x = static_cast<int>(random % static_cast<std::uint32_t>(w - 15));
      const int y = static_cast<int>((random >> 16) % static_cast<std::uint32_t>(h - 18));
      XShmPutImage(d, win, gc, image, x, y, x, y, 15, 18, frame % 15 == 14 && i + 1 == rects ? True : False);
    }
    XFlush(d);
    next += frameNs;
    // Sleeps to the frame's boundary, reading the fences' answers as they
    // come, as coderain does.
    for (std::int64_t left = next - NowNs(); left > 0; left = next - NowNs()) {
      pollfd p{ConnectionNumber(d), POLLIN, 0};
      poll(&p, 1, static_cast<int>((left + 999999) / 1000000));
      while (XPending(d) > 0) {
        XEvent ev;
        XNextEvent(d, &ev);
      }
    }
  }
}
