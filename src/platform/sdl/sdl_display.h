// The scene through SDL2, for displays other than X11 (Wayland): one
// full-screen window whose surface SDL keeps, the scene scaled up into it
// by a whole number on dense screens.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/launch_request.h"
#include "app/scene_display.h"
#include "platform/frame_copy.h"
#include "platform/posix/close_signals.h"

struct SDL_Window;
struct SDL_Surface;

namespace coderain {

class SdlDisplay : public SceneDisplay {
 public:
  ~SdlDisplay() override;

  // Starts SDL's Wayland video and creates the scene's window, full screen
  // on the primary display and not yet shown. Returns null and sets *error
  // on failure.
  static std::unique_ptr<SdlDisplay> Open(const LaunchRequest& request, const CloseSignals* signals,
                                          std::string* error);

  Bitmap& Frame() override { return frame_; }
  const OutputFit& Fit() const override { return fit_; }
  void Show() override;
  void Wait(int timeoutMs, std::vector<DisplayEvent>* events) override;
  bool Present(const DamageList& damage) override;
  void PresentAll() override;

 private:
  explicit SdlDisplay(const CloseSignals* signals) : signals_(*signals) {}
  bool TakeSurface(std::string* error);
  void Translate(const void* sdlEvent, std::vector<DisplayEvent>* events);
  // Ends the program, as a lost X server does, when the connection to the
  // compositor has failed.
  void CheckConnection() const;

  const CloseSignals& signals_;
  SDL_Window* window_ = nullptr;
  SDL_Surface* surface_ = nullptr;
  std::unique_ptr<FrameCopier> copier_;
  OutputSpec spec_;
  OutputFit fit_;
  Bitmap frame_;
  bool appeared_ = false;
  bool closeSent_ = false;
};

}  // namespace coderain
