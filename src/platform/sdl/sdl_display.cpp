#include "platform/sdl/sdl_display.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace coderain {

namespace {

// Losing the X server is fatal; say so in the program's own words rather
// than Xlib's.
int OnDisplayLost(Display*) {
  std::fputs("coderain: lost the connection to the display\n", stderr);
  std::_Exit(1);
}

bool HasProperty(Display* d, Window w, const char* name) {
  Atom atom = XInternAtom(d, name, True);
  if (atom == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  int rc = XGetWindowProperty(d, w, atom, 0, 1, False, AnyPropertyType, &type, &format, &items, &after, &data);
  if (data) XFree(data);
  return rc == Success && type != None;
}

}  // namespace

SdlDisplay::~SdlDisplay() {
  if (window_) SDL_DestroyWindow(window_);
  if (initialised_) SDL_Quit();
}

bool SdlDisplay::Open(std::string* error) {
  // The native shared-memory path updates only the damaged rectangles; the
  // texture-backed default re-uploads the whole screen on every update.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // Only a real display will do: SDL would otherwise fall back to drawing
  // off the screen, and the program would run with nothing to show.
  if (SDL_Init(0) != 0) {
    *error = SDL_GetError();
    return false;
  }
  initialised_ = true;
  const char* display = std::getenv("DISPLAY");
  std::string x11Error;
  if (SDL_VideoInit("x11") != 0) {
    x11Error = SDL_GetError();
    if (!std::getenv("WAYLAND_DISPLAY") || SDL_VideoInit("wayland") != 0) {
      *error = std::string(display && *display ? display : "(DISPLAY not set)") + ": " + x11Error;
      return false;
    }
  }
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(0, &bounds) != 0) {
    *error = SDL_GetError();
    return false;
  }
  screenW_ = bounds.w;
  screenH_ = bounds.h;
  SDL_DisplayMode mode;
  if (SDL_GetCurrentDisplayMode(0, &mode) == 0) refreshHz_ = mode.refresh_rate;
  return true;
}

bool SdlDisplay::CreateWindow(const char* title, std::string* error) {
  window_ = SDL_CreateWindow(title, 0, 0, screenW_, screenH_, SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
  if (!window_) {
    *error = SDL_GetError();
    return false;
  }
  bool windowManager = true;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11) {
    Display* d = info.info.x11.display;
    eventFd_ = ConnectionNumber(d);
    XSetIOErrorHandler(OnDisplayLost);
    // Without a window manager a borderless window at (0, 0) of the
    // screen's size already covers the screen, and asking for full screen
    // would only wait for an answer that never comes (100 ms at start-up).
    windowManager = HasProperty(d, DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK");
  }
  if (windowManager) SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  return WrapSurface(error);
}

bool SdlDisplay::WrapSurface(std::string* error) {
  surface_ = SDL_GetWindowSurface(window_);
  if (!surface_) {
    *error = SDL_GetError();
    return false;
  }
  const SDL_PixelFormat* f = surface_->format;
  converting_ = !(f->BytesPerPixel == 4 && f->Rmask == 0xFF0000u && f->Gmask == 0xFF00u && f->Bmask == 0xFFu);
  if (converting_) {
    framebuffer_ = Bitmap(surface_->w, surface_->h);
  } else {
    if (SDL_MUSTLOCK(surface_)) SDL_LockSurface(surface_);
    framebuffer_ = Bitmap(static_cast<std::uint32_t*>(surface_->pixels), surface_->w, surface_->h, surface_->pitch / 4);
    framebuffer_.Fill(0);
  }
  return true;
}

bool SdlDisplay::Refresh(std::string* error) { return WrapSurface(error); }

void SdlDisplay::Show() {
  SDL_ShowWindow(window_);
  PresentAll();
}

void SdlDisplay::WaitForInput(int timeoutMs) {
  if (eventFd_ < 0) {
    if (SDL_WaitEventTimeout(nullptr, timeoutMs)) SDL_PumpEvents();
    return;
  }
  if (!mustPump_) {
    pollfd p{eventFd_, POLLIN, 0};
    int n = ::poll(&p, 1, timeoutMs);
    if (n == 0) return;  // only time passed
  }
  SDL_PumpEvents();
  mustPump_ = false;
}

void SdlDisplay::CopyOut(const SDL_Rect& r) {
  if (!converting_) return;
  const std::uint8_t* src = reinterpret_cast<const std::uint8_t*>(framebuffer_.Row(r.y) + r.x);
  std::uint8_t* dst =
      static_cast<std::uint8_t*>(surface_->pixels) + r.y * surface_->pitch + r.x * surface_->format->BytesPerPixel;
  SDL_ConvertPixels(r.w, r.h, SDL_PIXELFORMAT_RGB888, src, framebuffer_.Pitch() * 4, surface_->format->format, dst,
                    surface_->pitch);
}

void SdlDisplay::Present(const DamageList& damage) {
  if (damage.Empty()) return;
  std::vector<SDL_Rect> rects;
  rects.reserve(damage.Rects().size());
  for (const Rect& d : damage.Rects()) {
    SDL_Rect r{d.x, d.y, d.w, d.h};
    CopyOut(r);
    rects.push_back(r);
  }
  SDL_UpdateWindowSurfaceRects(window_, rects.data(), static_cast<int>(rects.size()));
  mustPump_ = true;
}

void SdlDisplay::PresentAll() {
  SDL_Rect all{0, 0, framebuffer_.Width(), framebuffer_.Height()};
  CopyOut(all);
  SDL_UpdateWindowSurface(window_);
  mustPump_ = true;
}

std::string ProgramDirectory() {
  char* base = SDL_GetBasePath();  // the real program file's directory, with a separator at its end
  if (!base) return {};
  std::string dir = base;
  SDL_free(base);
  if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

}  // namespace coderain
