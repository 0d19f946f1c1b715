// The program's front end through SDL2, for displays other than X11
// (Wayland): one full-screen window whose surface SDL keeps.
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
  // Creates the scene's window, titled `title`, full screen on the primary
  // display and not yet shown. Returns false and sets *error on failure.
  bool CreateWindow(const char* title, std::string* error);

  int SceneWidth() const override { return width_; }
  int SceneHeight() const override { return height_; }
  int RefreshHz() const override { return refreshHz_; }
  void Show() override;
  void Wait(int timeoutMs, int wakeFd, std::vector<FrontEndEvent>* events) override;
  bool Present(const Bitmap& frame, const DamageList& damage) override;
  void PresentAll(const Bitmap& frame) override;

 private:
  SdlFrontEnd() = default;
  bool TakeSurface(std::string* error);
  void Translate(const void* sdlEvent, std::vector<FrontEndEvent>* events);

  SDL_Window* window_ = nullptr;
  SDL_Surface* surface_ = nullptr;
  std::unique_ptr<FrameCopier> copier_;
  int width_ = 0;
  int height_ = 0;
  int refreshHz_ = 0;
  bool appeared_ = false;
};

}  // namespace coderain
