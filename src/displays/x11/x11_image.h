// A window's image on the client's side: in shared memory where the server
// can share it, else a plain image, in the layout of the window's visual.
// Presents never wait for the server. Every few presents, the last put of
// one asks to be told when the server has taken it (a fence); should the
// server fall that far behind, the image is busy until it has. Asking on
// every present would wake the program twice a frame, once for the frame
// and once for the answer.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <memory>
#include <span>
#include <string>

#include "core/gfx/frame_copy.h"
#include "core/gfx/geometry.h"
#include "displays/x11/x11_connection.h"

namespace coderain {

class X11Image {
 public:
  // An image for `window`, of the given visual and depth (true colour),
  // of no size until Resize.
  X11Image(X11Connection* c, ::Window window, Visual* visual, int depth);
  ~X11Image();
  X11Image(const X11Image&) = delete;
  X11Image& operator=(const X11Image&) = delete;

  // Makes the image width x height, black. Returns false and sets *error
  // ("not enough memory for a WxH image") when it cannot be had; the image
  // it had stays then.
  bool Resize(int width, int height, std::string* error);

  int Width() const { return width_; }
  int Height() const { return height_; }
  ImageView View() const;
  const PixelLayout& Layout() const { return layout_; }

  // Where the image's top left lies in the window (a monitor's place on
  // the root window); the window's top left until set.
  void SetOrigin(Point origin) { origin_ = origin; }
  // Sends rectangles of the image to the window as one present.
  void Present(std::span<const Rect> rects);
  // Whether the server is so far behind that a present must wait.
  bool Busy() const;
  // The server has taken the fence.
  void Taken() { fenced_ = false; }
  // Whether the image lives in shared segment `segment`.
  bool InSegment(ShmSeg segment) const { return pixels_->shared && pixels_->shm.shmseg == segment; }

 private:
  // The image and its segment. A shared image points at its segment, so
  // each lives where it was made, on the heap.
  struct Pixels {
    XImage* image = nullptr;
    XShmSegmentInfo shm{};
    bool shared = false;
  };
  bool MakeShared(int width, int height, Pixels* out);
  bool MakePlain(int width, int height, Pixels* out);
  void Free(std::unique_ptr<Pixels> p);

  X11Connection& c_;
  ::Window window_;
  Visual* visual_;
  int depth_;
  GC gc_;
  PixelLayout layout_;
  std::unique_ptr<Pixels> pixels_ = std::make_unique<Pixels>();
  int width_ = 0;
  int height_ = 0;
  Point origin_{};
  bool fenced_ = false;  // a fence is out
  int sinceFence_ = 0;   // presents sent since the last fence
};

}  // namespace coderain
