// A 32-bit pixel buffer. It owns its pixels, or wraps memory that belongs to
// someone else (the window surface of the program).
#pragma once

#include <cassert>
#include <cstdint>
#include <vector>

#include "core/gfx/geometry.h"

namespace coderain {

class Bitmap {
 public:
  Bitmap() = default;
  // An owned buffer of width x height pixels, all black.
  Bitmap(int width, int height);
  // A view of pixels owned elsewhere; pitch is in pixels, not bytes.
  Bitmap(std::uint32_t* pixels, int width, int height, int pitch);
  // Makes *out an owned buffer of width x height pixels, all black.
  // Returns false, leaving *out as it was, when the memory cannot be had.
  static bool Allocate(int width, int height, Bitmap* out);

  Bitmap(const Bitmap& other);
  Bitmap& operator=(const Bitmap& other);
  Bitmap(Bitmap&&) noexcept = default;
  Bitmap& operator=(Bitmap&&) noexcept = default;

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Pitch() const { return pitch_; }
  Rect Bounds() const { return {0, 0, width_, height_}; }

  // Row y (0 to Height - 1) and pixel (x, y) inside the bitmap. An index
  // outside it is a programming error: the debug build stops on it, the
  // optimised build does not look.
  std::uint32_t* Row(int y) {
    assert(y >= 0 && y < height_);
    return pixels_ + static_cast<std::ptrdiff_t>(y) * pitch_;
  }
  const std::uint32_t* Row(int y) const {
    assert(y >= 0 && y < height_);
    return pixels_ + static_cast<std::ptrdiff_t>(y) * pitch_;
  }
  Color Pixel(int x, int y) const {
    assert(x >= 0 && x < width_);
    return Row(y)[x] & 0xFFFFFFu;
  }
  void SetPixel(int x, int y, Color c) {
    assert(x >= 0 && x < width_);
    Row(y)[x] = c;
  }

  void Fill(Color c);
  // Fills r, clipped to the bitmap.
  void FillRect(Rect r, Color c);

 private:
  std::vector<std::uint32_t> storage_;
  std::uint32_t* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int pitch_ = 0;
};

}  // namespace coderain
