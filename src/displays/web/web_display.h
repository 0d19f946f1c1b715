// The scene in a web page: a 2D canvas over the whole window, sized in
// device pixels (the page's devicePixelRatio is the density), so that a
// scene pixel is a block of whole device pixels and nothing is smoothed.
//
// The canvas's pixels are an image in the page's memory, R, G, B, A bytes;
// a present puts only the damaged rectangles of it into the canvas
// (putImageData), the whole of it only after a new size or an exposure.
// The canvas shows what was put at the browser's next frame, and the page
// takes the next present at once: there is no image the browser holds.
//
// The page's script is the host's driver: it hands in the window's size,
// the input its listeners heard and the time, each from its frame
// callback, and steps the loop (main/web/main.cpp).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/gfx/bitmap.h"
#include "core/run/display_table.h"
#include "core/run/framebuffer_display.h"
#include "core/run/launch_request.h"
#include "displays/web/web_input.h"

namespace coderain {

class WebDisplay : public FramebufferDisplay {
 public:
  // The page's one screen.
  static constexpr int kScreen = 0;

  // Opens the display on the page's canvas. Returns null and sets *error
  // when the browser gives the page no canvas to draw in.
  static std::unique_ptr<WebDisplay> Open(const LaunchRequest& request, std::string* error);

  // The window is width x height device pixels at `density` device pixels
  // a CSS pixel. A window of no size has no screen; the first size that is
  // not zero adds it, and every new size or density after that is a new
  // fit (a new scene, as on any desktop). Returns false and sets *error
  // when the memory for a first screen cannot be had: there is no screen
  // then.
  bool Resize(int width, int height, double density, std::string* error);

  // Input as the page heard it: keys by the page's number for each, the
  // buttons at device pixels of the window.
  void Key(bool down, int key, bool repeat);
  void Button(bool down, Point at);
  void Blur();
  // The page is shown again: the canvas gets the whole frame again.
  void Exposed();
  // Nobody can see the page now (a hidden tab, a paused wallpaper), or
  // they can again.
  void SetSeen(bool seen);

  // The events since the last call, in order; none while no scene shows.
  std::vector<DisplayEvent> TakeEvents();
  void Show() override;
  // No scene shows now: the canvas goes black, and input is not the
  // scene's until the next Show.
  void Stop();
  // Presents sent to the canvas so far.
  long long Presents() const { return presents_; }

 protected:
  PixelLayout Layout(int screen) const override;
  bool MakeImages(int screen, int width, int height, std::string* error) override;
  ImageView Image(int screen, int index) const override;
  int FreeImage(int /*screen*/) override { return 0; }
  void Send(int screen, int index, std::span<const Rect> rects, bool whole) override;

 private:
  explicit WebDisplay(const LaunchRequest& request);
  void Queue(const DisplayEvent& e);

  const LaunchRequest request_;
  double density_ = 1;
  Bitmap image_;  // the canvas's pixels, 4 bytes each in Layout()
  WebInput input_;
  bool shown_ = false;
  std::vector<DisplayEvent> events_;
  long long presents_ = 0;
};

// The row of the display table: the one display of a page.
const DisplayRow<WebDisplay>& WebDisplayRow();

}  // namespace coderain
