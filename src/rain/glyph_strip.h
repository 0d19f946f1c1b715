// The digit glyph strip and the opaque copy of one of its cells.
#pragma once

#include "platform/bitmap.h"
#include "platform/geometry.h"

namespace coderain {

class Form1;

inline constexpr int kCellWidth = 15;
inline constexpr int kCellHeight = 18;

// Draws the strip: digits 0 to 9 side by side, in three bands (dark green,
// mid green, white), extended with black so every 15 x 18 cell lies inside.
Bitmap MakeGlyphStrip();

// The 15 x 18 cell of digit d (0 to 9) in band b (0 to 2), in strip pixels.
Rect GlyphCell(int d, int b);

// Copies cell (d, b) onto the window with its top left pixel at window
// pixel (x, y): opaque, clipped to the window, never over a visible panel.
void BlitGlyph(Form1& f, int d, int b, int x, int y);

}  // namespace coderain
