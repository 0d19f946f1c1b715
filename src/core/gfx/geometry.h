// Points, rectangles and colours shared by every drawing call.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace coderain {

struct Point {
  int x = 0;
  int y = 0;
};

// A rectangle is half-open: it covers columns x .. x + w - 1 and rows
// y .. y + h - 1. It is empty when w or h is zero or negative. Drawing calls
// that take two corners with both corner pixels included convert with
// FromCorners at their edge.
struct Rect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;

  // The rectangle whose corners are (x0, y0) and (x1, y1), both included,
  // in any order.
  static Rect FromCorners(int x0, int y0, int x1, int y1) {
    return {std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0) + 1, std::abs(y1 - y0) + 1};
  }

  int Right() const { return x + w; }   // one past the last column
  int Bottom() const { return y + h; }  // one past the last row
  bool Empty() const { return w <= 0 || h <= 0; }
  long long Area() const { return Empty() ? 0 : static_cast<long long>(w) * h; }
  bool Contains(Point p) const { return p.x >= x && p.x < Right() && p.y >= y && p.y < Bottom(); }
  bool Intersects(const Rect& o) const {
    return !Empty() && !o.Empty() && x < o.Right() && o.x < Right() && y < o.Bottom() && o.y < Bottom();
  }
  Rect Intersect(const Rect& o) const {
    int l = std::max(x, o.x), t = std::max(y, o.y);
    int r = std::min(Right(), o.Right()), b = std::min(Bottom(), o.Bottom());
    if (r <= l || b <= t) return {};
    return {l, t, r - l, b - t};
  }
  // The smallest rectangle holding both; an empty side is ignored.
  Rect Union(const Rect& o) const {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    int l = std::min(x, o.x), t = std::min(y, o.y);
    return {l, t, std::max(Right(), o.Right()) - l, std::max(Bottom(), o.Bottom()) - t};
  }
  Rect Translated(int dx, int dy) const { return {x + dx, y + dy, w, h}; }
  bool operator==(const Rect&) const = default;
};

// A colour is 0x00RRGGBB, the layout of the framebuffer's pixels.
using Color = std::uint32_t;

constexpr Color Rgb(int r, int g, int b) {
  return (static_cast<Color>(r & 255) << 16) | (static_cast<Color>(g & 255) << 8) | static_cast<Color>(b & 255);
}

// A colour written as one number red + 256 x green + 65536 x blue (65280 is
// pure green), as the classic colour values are.
constexpr Color FromColorValue(std::int32_t v) { return Rgb(v & 255, (v >> 8) & 255, (v >> 16) & 255); }

constexpr int Red(Color c) { return (c >> 16) & 255; }
constexpr int Green(Color c) { return (c >> 8) & 255; }
constexpr int Blue(Color c) { return c & 255; }

constexpr Color kBlack = Rgb(0, 0, 0);

}  // namespace coderain
