#include "core/gfx/bitmap.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace coderain {

namespace {

// The pixels of a width x height buffer. Where a size_t is 32 bits the
// product can wrap round to a small buffer: that is refused as too long.
std::size_t PixelCount(int width, int height) {
  const std::uint64_t n = std::uint64_t(std::max(width, 0)) * std::uint64_t(std::max(height, 0));
  if (n > std::vector<std::uint32_t>().max_size()) throw std::length_error("bitmap too large");
  return static_cast<std::size_t>(n);
}

}  // namespace

Bitmap::Bitmap(int width, int height)
    : storage_(PixelCount(width, height), 0u),
      pixels_(storage_.data()),
      width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pitch_(std::max(width, 0)) {}

Bitmap::Bitmap(std::uint32_t* pixels, int width, int height, int pitch)
    : pixels_(pixels), width_(width), height_(height), pitch_(pitch) {}

bool Bitmap::Allocate(int width, int height, Bitmap* out) {
  try {
    *out = Bitmap(width, height);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

// A copy always owns its pixels, even when the original was a view.
Bitmap::Bitmap(const Bitmap& other) : Bitmap(other.width_, other.height_) {
  for (int y = 0; y < height_; ++y) std::copy_n(other.Row(y), width_, Row(y));
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
  if (this != &other) *this = Bitmap(other);
  return *this;
}

void Bitmap::Fill(Color c) { FillRect(Bounds(), c); }

void Bitmap::FillRect(Rect r, Color c) {
  r = r.Intersect(Bounds());
  for (int y = r.y; y < r.Bottom(); ++y) std::fill_n(Row(y) + r.x, r.w, c);
}

}  // namespace coderain
