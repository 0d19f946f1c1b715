#include "displays/x11/x11_image.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <utility>

#include "core/run/framebuffer_display.h"

namespace coderain {

namespace {

// Presents between fences: about four a second at 60 Hz, and never more
// than a quarter of a second of presents that the server has not taken.
constexpr int kFenceEvery = 15;

// How the visual stores a pixel, as the scene's frame copier needs it; the
// depth's bits that are no colour's are alpha.
PixelLayout LayoutOf(::Display* d, Visual* visual, int depth) {
  PixelLayout layout;
  int formats = 0;
  XPixmapFormatValues* f = XListPixmapFormats(d, &formats);
  for (int i = 0; i < formats; ++i)
    if (f[i].depth == depth) layout.bytesPerPixel = f[i].bits_per_pixel / 8;
  if (f) XFree(f);
  layout.bigEndian = ImageByteOrder(d) == MSBFirst;
  layout.redMask = static_cast<std::uint32_t>(visual->red_mask);
  layout.greenMask = static_cast<std::uint32_t>(visual->green_mask);
  layout.blueMask = static_cast<std::uint32_t>(visual->blue_mask);
  const std::uint32_t bits = depth >= 32 ? 0xFFFFFFFFu : (std::uint32_t{1} << depth) - 1;
  layout.alphaMask = bits & ~(layout.redMask | layout.greenMask | layout.blueMask);
  return layout;
}

}  // namespace

X11Image::X11Image(X11Connection* c, ::Window window, Visual* visual, int depth)
    : c_(*c),
      window_(window),
      visual_(visual),
      depth_(depth),
      gc_(XCreateGC(c->dpy, window, 0, nullptr)),
      layout_(LayoutOf(c->dpy, visual, depth)) {}

X11Image::~X11Image() {
  Free(std::move(pixels_));
  XFreeGC(c_.dpy, gc_);
}

bool X11Image::Resize(int width, int height, std::string* error) {
  auto made = std::make_unique<Pixels>();
  if (width > 0 && height > 0 && !MakeShared(width, height, made.get()) && !MakePlain(width, height, made.get())) {
    *error = NoMemoryFor(width, height);
    return false;
  }
  Free(std::move(pixels_));
  pixels_ = std::move(made);
  // A fence out was on the image that is gone: the new one has none.
  fenced_ = false;
  sinceFence_ = 0;
  width_ = pixels_->image ? width : 0;
  height_ = pixels_->image ? height : 0;
  return true;
}

bool X11Image::MakeShared(int width, int height, Pixels* out) {
  if (!c_.hasShm) return false;
  XImage* image = XShmCreateImage(c_.dpy, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr, &out->shm,
                                  static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (!image) return false;
  const std::size_t bytes = static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(height);
  out->shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  void* addr = out->shm.shmid >= 0 ? shmat(out->shm.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
  bool shared = false;
  if (addr != reinterpret_cast<void*>(-1)) {
    image->data = out->shm.shmaddr = static_cast<char*>(addr);
    out->shm.readOnly = False;
    ErrorTrap trap(c_.dpy);
    XShmAttach(c_.dpy, &out->shm);
    shared = trap.End() == 0;
    if (!shared) {
      shmdt(addr);
      // A server that cannot share memory with us (a remote one) will not
      // start to: plain images from now on.
      c_.hasShm = false;
    }
  }
  // Marked for removal now, the segment goes when both sides let go.
  if (out->shm.shmid >= 0) shmctl(out->shm.shmid, IPC_RMID, nullptr);
  if (!shared) {
    image->data = nullptr;
    XDestroyImage(image);
    return false;
  }
  out->image = image;
  out->shared = true;
  return true;
}

bool X11Image::MakePlain(int width, int height, Pixels* out) {
  XImage* image = XCreateImage(c_.dpy, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
  if (!image) return false;
  image->data = static_cast<char*>(
      std::calloc(static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(height), 1));
  if (!image->data) {
    XDestroyImage(image);
    return false;
  }
  out->image = image;
  return true;
}

void X11Image::Free(std::unique_ptr<Pixels> p) {
  if (!p || !p->image) return;
  if (p->shared) {
    XShmDetach(c_.dpy, &p->shm);
    shmdt(p->shm.shmaddr);
    p->image->data = nullptr;
  }
  XDestroyImage(p->image);  // frees the data of a plain image
}

ImageView X11Image::View() const {
  if (!pixels_->image) return {};
  return {reinterpret_cast<std::uint8_t*>(pixels_->image->data), width_, height_, pixels_->image->bytes_per_line};
}

bool X11Image::Busy() const { return fenced_ && sinceFence_ >= kFenceEvery; }

void X11Image::Present(std::span<const Rect> rects) {
  if (!pixels_->image || rects.empty()) return;
  // A plain image goes with the request: there is nothing to fence.
  const bool fence = pixels_->shared && !fenced_ && sinceFence_ >= kFenceEvery - 1;
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const Rect& r = rects[i];
    const auto w = static_cast<unsigned>(r.w), h = static_cast<unsigned>(r.h);
    if (pixels_->shared)
      XShmPutImage(c_.dpy, window_, gc_, pixels_->image, r.x, r.y, origin_.x + r.x, origin_.y + r.y, w, h,
                   fence && i + 1 == rects.size() ? True : False);
    else
      XPutImage(c_.dpy, window_, gc_, pixels_->image, r.x, r.y, origin_.x + r.x, origin_.y + r.y, w, h);
  }
  if (fence) {
    fenced_ = true;
    sinceFence_ = 0;
  } else {
    ++sinceFence_;
  }
}

}  // namespace coderain
