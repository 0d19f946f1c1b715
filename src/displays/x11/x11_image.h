// A window's image on the client's side: in shared memory where the server
// can share it, else a plain image, in the layout of the window's visual.
// Puts never wait for the server: the last put of a present asks to be
// told when the server has taken it, and until then the image is busy.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <memory>
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

  // Makes the image width x height. Returns false and sets *error ("not
  // enough memory for a WxH image") when it cannot be had; the image it
  // had stays then.
  bool Resize(int width, int height, std::string* error);

  int Width() const { return width_; }
  int Height() const { return height_; }
  ImageView View() const;
  const FrameCopier& Copier() const { return copier_; }

  // Sends rectangle r of the image to the window; with `last`, the server
  // says when it has taken it, and the image is busy until Taken().
  void Put(Rect r, bool last);
  bool Busy() const { return pending_ > 0; }
  void Taken() { pending_ = 0; }

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
  FrameCopier copier_;
  std::unique_ptr<Pixels> pixels_ = std::make_unique<Pixels>();
  int width_ = 0;
  int height_ = 0;
  int pending_ = 0;  // presents sent that the server has not yet taken
};

}  // namespace coderain
