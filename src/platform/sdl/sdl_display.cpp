#include "platform/sdl/sdl_front_end.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/display_scale.h"

namespace coderain {

namespace {

// SDL's reason for the last failure, as one line.
std::string SdlError() {
  std::string said = SDL_GetError();
  std::replace(said.begin(), said.end(), '\n', ' ');
  return said.empty() ? "SDL gives no reason" : said;
}

}  // namespace

SdlFrontEnd::~SdlFrontEnd() {
  if (window_) SDL_DestroyWindow(window_);
  SDL_Quit();
}

std::unique_ptr<SdlFrontEnd> SdlFrontEnd::Open(const char* driver, std::string* error) {
  // The program's own handlers answer SIGTERM and SIGINT; and a screen
  // saver must never keep the screen from blanking or the monitor from
  // sleeping.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // Where it is missing, the Wayland library would say so on a line of its
  // own before SDL's.
  const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  if (std::string(driver) == "wayland" && !(runtimeDir && *runtimeDir)) {
    *error = "XDG_RUNTIME_DIR is not set";
    return nullptr;
  }
  std::unique_ptr<SdlFrontEnd> s(new SdlFrontEnd);
  if (SDL_Init(0) != 0 || SDL_VideoInit(driver) != 0) {
    *error = SdlError();
    return nullptr;
  }
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(0, &bounds) != 0) {
    *error = SdlError();
    return nullptr;
  }
  s->width_ = bounds.w;
  s->height_ = bounds.h;
  SDL_DisplayMode mode;
  if (SDL_GetCurrentDisplayMode(0, &mode) == 0) s->refreshHz_ = mode.refresh_rate;
  return s;
}

bool SdlFrontEnd::CreateWindow(const char* title, std::string* error) {
  window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED_DISPLAY(0), SDL_WINDOWPOS_UNDEFINED_DISPLAY(0), width_,
                             height_, SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN | SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (!window_) {
    *error = SdlError();
    return false;
  }
  SDL_StopTextInput();
  return TakeSurface(error);
}

bool SdlFrontEnd::TakeSurface(std::string* error) {
  surface_ = SDL_GetWindowSurface(window_);
  if (!surface_) {
    *error = SdlError();
    return false;
  }
  width_ = surface_->w;
  height_ = surface_->h;
  scale_ = DisplayScale(width_, height_, 0, requestedScale_);
  // What lies past the scaled scene is never drawn; SDL leaves a new
  // surface as it found the memory.
  SDL_FillRect(surface_, nullptr, 0);
  const SDL_PixelFormat* f = surface_->format;
  PixelLayout layout;
  layout.bytesPerPixel = f->BytesPerPixel;
  layout.bigEndian = SDL_BYTEORDER == SDL_BIG_ENDIAN;
  layout.redMask = f->Rmask;
  layout.greenMask = f->Gmask;
  layout.blueMask = f->Bmask;
  copier_ = std::make_unique<FrameCopier>(layout);
  return true;
}

void SdlFrontEnd::Show() { SDL_ShowWindow(window_); }

void SdlFrontEnd::CheckConnection() const {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window_, &info) || info.subsystem != SDL_SYSWM_WAYLAND) return;
  if (wl_display_get_error(info.info.wl.display) == 0) return;
  std::fputs("coderain: lost the connection to the display\n", stderr);
  std::fflush(stderr);
  std::_Exit(1);
}

void SdlFrontEnd::Wait(int timeoutMs, int, std::vector<FrontEndEvent>* events) {
  // SDL cannot watch the close pipe; a close request is seen at the next
  // frame at the latest.
  SDL_Event ev;
  if (!SDL_WaitEventTimeout(&ev, std::min(timeoutMs, 17))) return;
  do Translate(&ev, events);
  while (SDL_PollEvent(&ev));
}

void SdlFrontEnd::Translate(const void* sdlEvent, std::vector<FrontEndEvent>* events) {
  using Kind = FrontEndEvent::Kind;
  const SDL_Event& ev = *static_cast<const SDL_Event*>(sdlEvent);
  switch (ev.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      FrontEndEvent e{ev.type == SDL_KEYDOWN ? Kind::KeyDown : Kind::KeyUp};
      e.key = ev.key.keysym.scancode;
      events->push_back(e);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      FrontEndEvent e{ev.type == SDL_MOUSEBUTTONDOWN ? Kind::ButtonDown : Kind::ButtonUp};
      e.at = {ev.button.x / scale_, ev.button.y / scale_};
      events->push_back(e);
      break;
    }
    case SDL_QUIT:
      // SDL says a lost compositor in the same words as a request to quit.
      CheckConnection();
      events->push_back({Kind::CloseRequested});
      break;
    case SDL_WINDOWEVENT:
      switch (ev.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          if (!appeared_) {
            // SDL has already noted the keys held as the window took the
            // keyboard; their presses follow this event.
            appeared_ = true;
            FrontEndEvent e{Kind::Appeared};
            int n = 0;
            const Uint8* state = SDL_GetKeyboardState(&n);
            for (int code = 0; code < n; ++code)
              if (state[code]) e.keys.push_back(code);
            events->push_back(std::move(e));
          }
          break;
        case SDL_WINDOWEVENT_CLOSE:
          events->push_back({Kind::CloseRequested});
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
          std::string error;
          if (!TakeSurface(&error)) {
            events->push_back({Kind::WindowGone});
            break;
          }
          FrontEndEvent e{Kind::Resized};
          e.width = SceneWidth();
          e.height = SceneHeight();
          events->push_back(e);
          break;
        }
        case SDL_WINDOWEVENT_EXPOSED:
          events->push_back({Kind::Exposed});
          break;
        default:
          break;
      }
      break;
    default:
      break;
  }
}

bool SdlFrontEnd::Present(const Bitmap& frame, const DamageList& damage) {
  if (!surface_) return true;
  const ImageView view{static_cast<std::uint8_t*>(surface_->pixels), surface_->w, surface_->h, surface_->pitch};
  std::vector<SDL_Rect> rects;
  rects.reserve(damage.Rects().size());
  for (const Rect& d : damage.Rects()) {
    const Rect r = copier_->Copy(frame, d, {scale_, 1}, view);
    if (!r.Empty()) rects.push_back({r.x, r.y, r.w, r.h});
  }
  if (!rects.empty()) SDL_UpdateWindowSurfaceRects(window_, rects.data(), static_cast<int>(rects.size()));
  return true;
}

void SdlFrontEnd::PresentAll(const Bitmap& frame) {
  if (!surface_) return;
  const ImageView view{static_cast<std::uint8_t*>(surface_->pixels), surface_->w, surface_->h, surface_->pitch};
  copier_->Copy(frame, frame.Bounds(), {scale_, 1}, view);
  SDL_UpdateWindowSurface(window_);
}

}  // namespace coderain
