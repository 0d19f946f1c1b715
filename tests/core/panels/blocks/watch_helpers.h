// Helpers for the block panel's tests: a small started scene and reading
// picWatch in its own pixel coordinates.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/app/form1.h"
#include "core/panels/panel_frame.h"
#include "test_support.h"

namespace coderain::blocks_test {

// Wide and tall enough for every panel to sit apart from picWatch.
inline constexpr int kScreenW = 800;
inline constexpr int kScreenH = 720;

inline Point WatchOrigin(Form1& f) {
  const Rect a = f.picWatch.DrawArea();
  return {a.x, a.y};
}

// The pixel at picWatch point (x, y).
inline Color WatchPixel(Form1& f, int x, int y) {
  const Point o = WatchOrigin(f);
  return f.Framebuffer.Pixel(o.x + x, o.y + y);
}

// Pixels of `c` in the rectangle with corners (x0, y0) and (x1, y1), both
// included, in picWatch coordinates.
inline int CountWatch(Form1& f, int x0, int y0, int x1, int y1, Color c) {
  return test::CountInPanel(f.Framebuffer, f.picWatch, x0, y0, x1, y1, c);
}

inline bool BoxIs(Form1& f, int x0, int y0, int x1, int y1, Color c) {
  return CountWatch(f, x0, y0, x1, y1, c) == (x1 - x0 + 1) * (y1 - y0 + 1);
}

// Rectangles written as their two corners, both included.
inline std::string Corners(const std::vector<Rect>& rects) {
  std::string s;
  for (const Rect& r : rects)
    s += "(" + std::to_string(r.x) + "," + std::to_string(r.y) + ")-(" + std::to_string(r.Right() - 1) + "," +
         std::to_string(r.Bottom() - 1) + ") ";
  return s;
}

// The rectangles drawn since the damage list was last cleared, in picWatch
// coordinates and in the order they were drawn.
inline std::string Drawn(Form1& f) {
  const Point o = WatchOrigin(f);
  std::vector<Rect> rects;
  for (const Rect& r : f.Damage().Rects()) rects.push_back(r.Translated(-o.x, -o.y));
  return Corners(rects);
}

}  // namespace coderain::blocks_test
