// The program's window on the screen, through SDL2.
//
// One borderless window over the primary display. Its window surface is
// the scene's framebuffer where the pixel layouts agree (the usual case);
// otherwise the scene draws into a buffer of its own and presents convert.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/bitmap.h"
#include "platform/damage.h"

namespace coderain {

class SdlDisplay {
 public:
  SdlDisplay() = default;
  ~SdlDisplay();
  SdlDisplay(const SdlDisplay&) = delete;
  SdlDisplay& operator=(const SdlDisplay&) = delete;

  // Connects to the display. Returns false and sets *error on failure.
  bool Open(std::string* error);
  // The primary display's size in pixels and its refresh rate (0 unknown).
  int ScreenWidth() const { return screenW_; }
  int ScreenHeight() const { return screenH_; }
  int RefreshHz() const { return refreshHz_; }

  // Creates the window, not yet shown, titled `title`, over the whole
  // primary display. Returns false and sets *error on failure.
  bool CreateWindow(const char* title, std::string* error);
  Bitmap* Framebuffer() { return &framebuffer_; }
  void Show();

  // Puts the damaged rectangles of the framebuffer on the screen.
  void Present(const DamageList& damage);
  // Puts the whole framebuffer on the screen.
  void PresentAll();
  // After the window surface was recreated (a size change): rewraps it.
  // The framebuffer object stays the same; its pixels come back black.
  bool Refresh(std::string* error);
  std::uint32_t WindowId() const { return window_ ? SDL_GetWindowID(window_) : 0; }

  // Waits up to timeoutMs for input, then moves what arrived into SDL's
  // event queue. On X11 it sleeps on the connection itself and asks SDL to
  // read events only when some may have come, so a wake-up for a timer
  // costs one system call rather than a round of event pumping.
  void WaitForInput(int timeoutMs);

 private:
  bool WrapSurface(std::string* error);
  void CopyOut(const SDL_Rect& r);

  SDL_Window* window_ = nullptr;
  SDL_Surface* surface_ = nullptr;
  Bitmap framebuffer_;
  bool converting_ = false;  // the scene draws into its own buffer
  int screenW_ = 0;
  int screenH_ = 0;
  int refreshHz_ = 0;
  bool initialised_ = false;
  int eventFd_ = -1;      // the X connection, or -1 elsewhere
  bool mustPump_ = true;  // events may wait in a client-side queue
};

// The directory that holds the program file, without a trailing separator
// except at the root, or empty when the platform cannot say.
std::string ProgramDirectory();

}  // namespace coderain
