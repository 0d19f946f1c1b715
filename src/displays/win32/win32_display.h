// The scene on Windows, through USER and GDI.
//
// Full screen (/s): a topmost borderless window over the primary monitor,
// a black one over every other monitor. Preview (/p): a child window
// filling the settings dialog's little monitor, the scene in miniature; it
// takes no input and ends when its parent goes. The scene draws straight
// into the window's 32-bit DIB section where nothing is scaled, else into a
// frame that is copied into it; presents blit only the damaged rectangles.
// Waits sleep on a high-resolution waitable timer together with the
// message queue, so that ticks keep their rates on a system whose own
// timers run at 15.6 ms.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/gfx/frame_copy.h"
#include "core/run/launch_request.h"
#include "core/run/scene_display.h"

namespace coderain {

class Win32Display : public SceneDisplay {
 public:
  // Opens the display for `request` (OwnWindow or Preview; the preview's
  // parent is `request.window`). Returns null and sets *error, one line,
  // on failure.
  static std::unique_ptr<Win32Display> Open(const LaunchRequest& request, std::string* error);
  ~Win32Display() override;
  Win32Display(const Win32Display&) = delete;
  Win32Display& operator=(const Win32Display&) = delete;

  Bitmap& Frame() override { return frame_; }
  const OutputFit& Fit() const override { return fit_; }
  void Show() override;
  void Wait(int timeoutMs, std::vector<DisplayEvent>* events) override;
  bool Present(const DamageList& damage) override;
  void PresentAll() override;

  HWND Window() const { return window_; }

 private:
  explicit Win32Display(const LaunchRequest& request);
  static LRESULT CALLBACK WindowProc(HWND w, UINT message, WPARAM wp, LPARAM lp);
  LRESULT Handle(HWND w, UINT message, WPARAM wp, LPARAM lp);
  bool CreateOwnWindow(std::string* error);
  bool CreatePreview(std::string* error);
  // Places the scene's window over the primary monitor and a black one
  // over every other; returns the primary monitor's size.
  SIZE CoverMonitors();
  // Fits the scene to a window of width x height: the fit, the DIB
  // section and the frame, keeping all three as they were on failure.
  bool FitTo(int width, int height, std::string* error);
  void Blit(const Rect& r);
  void PushInput(HWND w, UINT message, WPARAM wp, LPARAM lp);

  OutputFacts facts_;  // all but the window's size
  const bool preview_;
  HWND parent_ = nullptr;
  HWND window_ = nullptr;
  std::vector<HWND> covers_;
  HDC windowDc_ = nullptr;
  HDC memoryDc_ = nullptr;
  HBITMAP dib_ = nullptr;
  HGDIOBJ firstBitmap_ = nullptr;
  ImageView view_;
  FrameCopier copier_{PixelLayout{}};
  OutputFit fit_;
  Bitmap frame_;
  bool direct_ = false;  // the frame is the DIB section itself
  HANDLE timer_ = nullptr;
  std::vector<DisplayEvent> pending_;
  bool gone_ = false;
  bool monitorsChanged_ = false;
  std::vector<RECT> monitors_;  // as the covers were last placed
  std::uint64_t monitorsCheckedMs_ = 0;
};

}  // namespace coderain
