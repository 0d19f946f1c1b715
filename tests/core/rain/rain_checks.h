// Checks shared by the digit rain tests: what a grid cell of the window shows.
#pragma once

#include "core/app/form1.h"
#include "core/rain/glyph_strip.h"
#include "test_support.h"

namespace coderain::test {

// Draws that give grid column j and grid row k exactly on a 1024 x 768
// screen, where a column draw r is x = 15 floor(r 1024 / 15) and a row
// draw y = 18 floor(r 768 / 18).
inline double ColumnDraw(int j) { return (j + 0.5) / (1024.0 / 15); }
inline double RowDraw(int k) { return (k + 0.5) / (768.0 / 18); }

// True when the window shows cell (d, b) of the strip with its top left
// pixel at (x, y), in the part of the cell that lies on the framebuffer.
inline bool ShowsCell(const Form1& f, int x, int y, int d, int b) {
  const Rect cell = GlyphCell(d, b);
  const Rect on = Rect{x, y, kCellWidth, kCellHeight}.Intersect(f.Framebuffer.Bounds());
  for (int py = on.y; py < on.Bottom(); ++py)
    for (int px = on.x; px < on.Right(); ++px)
      if (f.Framebuffer.Pixel(px, py) != f.digits.Pixel(cell.x + px - x, cell.y + py - y)) return false;
  return true;
}

inline bool AllOf(const Bitmap& b, Rect r, Color c) { return CountPixels(b, r, c) == r.Intersect(b.Bounds()).Area(); }

// What the 15 x 18 cell at (x, y) shows: -1 when black, 10 b + d when it is
// exactly cell (d, b) of the strip, -2 otherwise.
inline int CellContent(const Form1& f, int x, int y) {
  if (AllOf(f.Framebuffer, {x, y, kCellWidth, kCellHeight}, kBlack)) return -1;
  for (int b = 0; b < kBandCount; ++b)
    for (int d = 0; d < kDigitCount; ++d)
      if (ShowsCell(f, x, y, d, b)) return 10 * b + d;
  return -2;
}

// How many pixels of r differ between a and b.
inline int CountChanged(const Bitmap& a, const Bitmap& b, Rect r) {
  r = r.Intersect(a.Bounds());
  int n = 0;
  for (int y = r.y; y < r.Bottom(); ++y)
    for (int x = r.x; x < r.Right(); ++x) n += a.Pixel(x, y) != b.Pixel(x, y);
  return n;
}

// True when the cell at (x, y) lies wholly outside every panel.
inline bool OutsidePanels(const Form1& f, int x, int y) {
  const Rect cell{x, y, kCellWidth, kCellHeight};
  for (const auto& p : f.WindowSurface.Panels())
    if (p->OuterRect().Intersects(cell)) return false;
  return true;
}

}  // namespace coderain::test
