#include "platform/sdl/sdl_display.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace coderain {

namespace {

// SDL's reason for the last failure, as one line.
std::string SdlError() {
  std::string said = SDL_GetError();
  std::replace(said.begin(), said.end(), '\n', ' ');
  return said.empty() ? "SDL gives no reason" : said;
}

}  // namespace

SdlDisplay::~SdlDisplay() {
  if (window_) SDL_DestroyWindow(window_);
  SDL_Quit();
}

std::unique_ptr<SdlDisplay> SdlDisplay::Open(const LaunchRequest& request, const CloseSignals* signals,
                                             std::string* error) {
  // The program's own handlers answer SIGTERM and SIGINT; and a screen
  // saver must never keep the screen from blanking or the monitor from
  // sleeping.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // Where it is missing, the Wayland library would say so on a line of its
  // own before SDL's.
  const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  if (!(runtimeDir && *runtimeDir)) {
    *error = "XDG_RUNTIME_DIR is not set";
    return nullptr;
  }
  std::unique_ptr<SdlDisplay> s(new SdlDisplay(signals));
  SDL_Rect bounds;
  if (SDL_Init(0) != 0 || SDL_VideoInit("wayland") != 0 || SDL_GetDisplayBounds(0, &bounds) != 0) {
    *error = SdlError();
    return nullptr;
  }
  s->spec_.requestedScale = request.scale;
  SDL_DisplayMode mode;
  if (SDL_GetCurrentDisplayMode(0, &mode) == 0) s->spec_.refreshHz = mode.refresh_rate;
  s->window_ =
      SDL_CreateWindow("Form1", SDL_WINDOWPOS_UNDEFINED_DISPLAY(0), SDL_WINDOWPOS_UNDEFINED_DISPLAY(0), bounds.w,
                       bounds.h, SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN | SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (!s->window_) {
    *error = "cannot create the window: " + SdlError();
    return nullptr;
  }
  SDL_StopTextInput();
  std::string why;
  if (!s->TakeSurface(&why)) {
    *error = "cannot create the window: " + why;
    return nullptr;
  }
  return s;
}

bool SdlDisplay::TakeSurface(std::string* error) {
  surface_ = SDL_GetWindowSurface(window_);
  if (!surface_) {
    *error = SdlError();
    return false;
  }
  spec_.width = surface_->w;
  spec_.height = surface_->h;
  fit_ = FitOutput(spec_);
  // The frame keeps the scene's picture while its size stays.
  const bool sameSize = frame_.Width() == fit_.sceneWidth && frame_.Height() == fit_.sceneHeight;
  if (!sameSize && !Bitmap::Allocate(fit_.sceneWidth, fit_.sceneHeight, &frame_)) {
    *error = "not enough memory for a " + std::to_string(fit_.sceneWidth) + "x" + std::to_string(fit_.sceneHeight) +
             " image";
    return false;
  }
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

void SdlDisplay::Show() { SDL_ShowWindow(window_); }

void SdlDisplay::CheckConnection() const {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window_, &info) || info.subsystem != SDL_SYSWM_WAYLAND) return;
  if (wl_display_get_error(info.info.wl.display) == 0) return;
  std::fputs("coderain: lost the connection to the display\n", stderr);
  std::fflush(stderr);
  std::_Exit(1);
}

void SdlDisplay::Wait(int timeoutMs, std::vector<DisplayEvent>* events) {
  // SDL cannot watch the close pipe; a close request is seen at the next
  // frame at the latest.
  SDL_Event ev;
  const bool any = SDL_WaitEventTimeout(&ev, std::min(timeoutMs, 17)) != 0;
  if (signals_.Requested() != 0 && !closeSent_) {
    closeSent_ = true;
    DisplayEvent e{DisplayEvent::Kind::CloseRequested};
    e.signal = signals_.Requested();
    events->push_back(e);
  }
  if (!any) return;
  do Translate(&ev, events);
  while (SDL_PollEvent(&ev));
}

void SdlDisplay::Translate(const void* sdlEvent, std::vector<DisplayEvent>* events) {
  using Kind = DisplayEvent::Kind;
  const SDL_Event& ev = *static_cast<const SDL_Event*>(sdlEvent);
  switch (ev.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      DisplayEvent e{ev.type == SDL_KEYDOWN ? Kind::KeyDown : Kind::KeyUp};
      e.key = ev.key.keysym.scancode;
      events->push_back(e);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      DisplayEvent e{ev.type == SDL_MOUSEBUTTONDOWN ? Kind::ButtonDown : Kind::ButtonUp};
      e.at = fit_.ToScene({ev.button.x, ev.button.y});
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
            DisplayEvent e{Kind::Appeared};
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
          // SDL makes a new surface with every change; a new scene only
          // comes with a new size.
          const OutputFit before = fit_;
          std::string error;
          if (!TakeSurface(&error)) {
            DisplayEvent e{Kind::Failed};
            e.text = error;
            events->push_back(e);
            break;
          }
          if (before.sceneWidth == fit_.sceneWidth && before.sceneHeight == fit_.sceneHeight) {
            events->push_back({Kind::Exposed});
            break;
          }
          events->push_back({Kind::Resized});
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

bool SdlDisplay::Present(const DamageList& damage) {
  if (!surface_) return true;
  const ImageView view{static_cast<std::uint8_t*>(surface_->pixels), surface_->w, surface_->h, surface_->pitch};
  std::vector<SDL_Rect> rects;
  rects.reserve(damage.Rects().size());
  for (const Rect& d : damage.Rects()) {
    const Rect r = copier_->Copy(frame_, d, fit_.scaling, view);
    if (!r.Empty()) rects.push_back({r.x, r.y, r.w, r.h});
  }
  if (!rects.empty()) SDL_UpdateWindowSurfaceRects(window_, rects.data(), static_cast<int>(rects.size()));
  return true;
}

void SdlDisplay::PresentAll() {
  if (!surface_) return;
  const ImageView view{static_cast<std::uint8_t*>(surface_->pixels), surface_->w, surface_->h, surface_->pitch};
  copier_->Copy(frame_, frame_.Bounds(), fit_.scaling, view);
  SDL_UpdateWindowSurface(window_);
}

}  // namespace coderain
