// The program's front end through SDL2, for displays other than X11
// (Wayland): one full-screen window whose surface SDL keeps, the scene
// scaled up into it by a whole number on dense screens.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/frame_copy.h"
#include "platform/front_end.h"

struct SDL_Window;
struct SDL_Surface;

namespace coderain {

class SdlFrontEnd : public FrontEnd {
 public:
  ~SdlFrontEnd() override;

  // Starts SDL's video on `driver` ("wayland"). Returns null and sets
  // *error on failure.
  static std::unique_ptr<SdlFrontEnd> Open(const char* driver, std::string* error);
  // The scale the command line asks for (1 to 8), or 0 to take it from the
  // display's size. Before CreateWindow.
  void RequestScale(int scale) { requestedScale_ = scale; }
  // Creates the scene's window, titled `title`, full screen on the primary
  // display and not yet shown. Returns false and sets *error on failure.
  bool CreateWindow(const char* title, std::string* error);

  int SceneWidth() const override { return width_ / scale_; }
  int SceneHeight() const override { return height_ / scale_; }
  int RefreshHz() const override { return refreshHz_; }
  void Show() override;
  void Wait(int timeoutMs, int wakeFd, std::vector<FrontEndEvent>* events) override;
  bool Present(const Bitmap& frame, const DamageList& damage) override;
  void PresentAll(const Bitmap& frame) override;

 private:
  SdlFrontEnd() = default;
  bool TakeSurface(std::string* error);
  void Translate(const void* sdlEvent, std::vector<FrontEndEvent>* events);
  // Ends the program, as a lost X server does, when the connection to the
  // compositor has failed.
  void CheckConnection() const;

  SDL_Window* window_ = nullptr;
  SDL_Surface* surface_ = nullptr;
  std::unique_ptr<FrameCopier> copier_;
  int width_ = 0;  // the surface's size
  int height_ = 0;
  int requestedScale_ = 0;
  int scale_ = 1;
  int refreshHz_ = 0;
  bool appeared_ = false;
};

}  // namespace coderain
