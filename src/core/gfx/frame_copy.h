// Copies of the scene's frame into a window's image.
//
// The frame is 0x00RRGGBB; a window's image stores its pixels as its screen
// wants them (any true-colour layout of 2, 3 or 4 bytes: 24 or 30 bits of
// colour, 16 or 15). A copy may scale the frame up by a whole number s
// (every frame pixel an s x s block) or down by a whole number k (every
// k x k block of the frame one pixel, each channel the block's brightest,
// so that thin lines keep their colour in miniature).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/gfx/bitmap.h"
#include "core/gfx/geometry.h"

namespace coderain {

// How an image stores one pixel: its size in bytes, the byte order of a
// pixel in memory and the bits of each channel. Alpha bits, where the
// image has them, are always set: the scene is opaque.
struct PixelLayout {
  int bytesPerPixel = 4;
  bool bigEndian = false;
  std::uint32_t redMask = 0xFF0000u;
  std::uint32_t greenMask = 0xFF00u;
  std::uint32_t blueMask = 0xFFu;
  std::uint32_t alphaMask = 0;
};

// An image's pixels: `pitch` bytes a row.
struct ImageView {
  std::uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
};

// The largest whole-number scale up, asked for or worked out: every scale
// to it has a copy of its own.
inline constexpr int kMaxScale = 8;

// How frame pixels map to image pixels: `up` > 1 scales up, `down` > 1
// reduces; at most one of them is not 1.
struct Scaling {
  int up = 1;
  int down = 1;
};

class FrameCopier {
 public:
  explicit FrameCopier(const PixelLayout& layout);

  // Whether the layout is the frame's own (4 bytes, 0x00RRGGBB in the
  // machine's byte order, no alpha): an image in it can be the frame itself.
  bool Native() const { return native_; }

  // The image pixels that frame rectangle r (frame pixels) covers, clipped
  // to the image: r scaled up, or every block that r touches when reducing.
  static Rect ImageRect(Rect r, Scaling scaling, const ImageView& image);

  // Writes the image pixels of ImageRect(r) from the frame and returns
  // them. Frame pixels past the frame's edge are black.
  Rect Copy(const Bitmap& frame, Rect r, Scaling scaling, const ImageView& image) const;

 private:
  void Put(std::uint8_t* at, Color c) const;
  void CopyUp(const Bitmap& frame, Rect out, int s, const ImageView& image) const;
  void CopyDown(const Bitmap& frame, Rect out, int k, const ImageView& image) const;

  PixelLayout layout_;
  bool native_ = false;  // the layout is the frame's own, 4 bytes a pixel
  std::array<std::uint32_t, 256> red_{}, green_{}, blue_{};
  // A reduction's scratch: the brightest of each channel down a row of
  // blocks, kept to spare an allocation a copy.
  mutable std::vector<std::uint8_t> blockRows_;
};

}  // namespace coderain
