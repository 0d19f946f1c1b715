// The rectangles of the framebuffer drawn since the last present.
#pragma once

#include <vector>

#include "core/gfx/geometry.h"

namespace coderain {

class DamageList {
 public:
  // Past this many rectangles the list folds into their bounding box, so a
  // burst of thousands of copies becomes one present of the area it touched.
  // A frame of the scene draws about fifty; under a frame-rate cap a present
  // carries several frames' worth (four at 15 a second, eight on battery),
  // which must not fold into a present of the whole screen.
  static constexpr int kMaxRects = 512;

  DamageList() { rects_.reserve(kMaxRects); }

  // Records r (screen pixels, already clipped to the screen).
  void Add(const Rect& r);
  bool Empty() const { return rects_.empty(); }
  const std::vector<Rect>& Rects() const { return rects_; }
  Rect Bounds() const;
  long long Pixels() const;  // sum of the areas (overlaps counted twice)
  void Clear() { rects_.clear(); }

 private:
  std::vector<Rect> rects_;
};

// Merges `rects` into fewer, larger ones wherever a merge paints at most
// `wastePx` pixels that neither of the two held: for a system that pays
// more for a rectangle sent than for a few thousand pixels copied. Every
// pixel of the rectangles stays covered. Looks at neighbours in row order
// only, so it costs little more than a sort.
void Coalesce(std::vector<Rect>* rects, long long wastePx);

}  // namespace coderain
