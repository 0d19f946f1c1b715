// Helpers for scene tests: the headless scene, and pictures compared.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/gfx/bitmap.h"
#include "core/gfx/surface.h"
#include "support/headless_scene.h"

namespace coderain::test {

// Counts the pixels of `color` in r (screen pixels) of the framebuffer.
int CountPixels(const Bitmap& b, Rect r, Color color);
// Counts them between the panel's own corners (x0, y0) and (x1, y1) of its
// drawing area, both included.
int CountInPanel(const Bitmap& b, const Panel& p, int x0, int y0, int x1, int y1, Color color);
// The pixels of r, row by row.
std::vector<Color> Snapshot(const Bitmap& b, Rect r);

// The first pixel of r, row by row, where `got` is not want(x, y), x and y
// counted from r's top left corner, as "(x, y): 0xGOT instead of 0xWANT" in
// those coordinates; "" when there is none.
std::string FirstDifference(const Bitmap& got, Rect r, const std::function<Color(int x, int y)>& want);
// The same against the pixels of `want` in r (both pictures' size when no r
// is given, which must then be equal).
std::string FirstDifference(const Bitmap& got, const Bitmap& want, Rect r);
std::string FirstDifference(const Bitmap& got, const Bitmap& want);

}  // namespace coderain::test
