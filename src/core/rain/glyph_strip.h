// The digit glyph strip, the opaque copy of one of its cells onto the
// window, and the grid of cells the copies land on.
//
// The strip holds the ten digits 0 to 9 side by side in three bands, one
// under the other: band 0 dark green, band 1 mid green, band 2 white. Each
// glyph is 10 x 14 pixels of one-pixel strokes at the top left of its
// 15 x 18 cell; the rest of the cell is black.
#pragma once

#include "core/base/random_source.h"
#include "core/gfx/bitmap.h"
#include "core/gfx/geometry.h"
#include "core/gfx/surface.h"

namespace coderain {

// What the digit rain draws with: the window, the strip kept in `digits`
// and the random source. The number bursts and the streams share it.
struct RainCanvas {
  Window& window;
  const Bitmap& digits;
  RandomSource& random;
};

inline constexpr int kCellWidth = 15;
inline constexpr int kCellHeight = 18;
inline constexpr int kGlyphWidth = 10;
inline constexpr int kGlyphHeight = 14;
inline constexpr int kDigitCount = 10;
inline constexpr int kBandCount = 3;

// The strip as drawn is 150 x 54: the 145 x 50 of its glyphs extended with
// black on the right and at the bottom, so that every cell, digit 9 and
// band 2 included, lies wholly inside it and every copy paints its whole
// 15 x 18 rectangle.
inline constexpr int kStripWidth = kCellWidth * kDigitCount;
inline constexpr int kStripHeight = kCellHeight * kBandCount;

// Draws the strip: digits 0 to 9 side by side, in three bands (dark green,
// mid green, white), extended with black so every 15 x 18 cell lies inside.
Bitmap MakeGlyphStrip();

// The 15 x 18 cell of digit d (0 to 9) in band b (0 to 2), in strip pixels.
Rect GlyphCell(int d, int b);

// Copies cell (d, b) onto the window with its top left pixel at window
// pixel (x, y): opaque, clipped to the window, never over a visible panel.
// x and y may lie partly or wholly off the window.
void BlitGlyph(const RainCanvas& rain, int d, int b, int x, int y);

// The left pixel of a random grid column of the window (a multiple of 15).
// Takes one draw.
double RandomColumn(const RainCanvas& rain);

}  // namespace coderain
