#include "rain/glyph_strip.h"

#include "app/form1.h"

namespace coderain {

Bitmap MakeGlyphStrip() { return Bitmap(150, 54); }

Rect GlyphCell(int d, int b) { return {kCellWidth * d, kCellHeight * b, kCellWidth, kCellHeight}; }

void BlitGlyph(Form1& f, int d, int b, int x, int y) { f.form.Blit({x, y}, f.digits, GlyphCell(d, b)); }

}  // namespace coderain
