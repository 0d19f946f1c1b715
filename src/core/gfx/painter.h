// The pixel work of drawing, on one piece of a surface at a time: a piece
// is a rectangle of the bitmap that the surface may paint, already clipped
// (surface.h works the pieces out). Every call records what it painted in
// the damage list. The calls are inline: they run for every glyph cell, and
// a call apiece costs as much as the copy.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/gfx/bitmap.h"
#include "core/gfx/damage.h"
#include "core/gfx/font.h"
#include "core/gfx/geometry.h"

namespace coderain {

class Painter {
 public:
  Painter(Bitmap* target, DamageList* damage) : target_(*target), damage_(*damage) {}

  // Fills the piece with c.
  void Fill(const Rect& piece, Color c);
  // Copies into the piece the pixels of `src` that lie under it when src's
  // pixel (0, 0) stands at (dx, dy).
  void Copy(const Rect& piece, const Bitmap& src, int dx, int dy);
  // Paints the glyphs of `text` that fall in the piece, transparently in c,
  // the pen starting at penX with the row's top at `top`.
  void Text(const Rect& piece, const Font& font, std::string_view text, int penX, int top, Color c);

 private:
  Bitmap& target_;
  DamageList& damage_;
};

inline void Painter::Fill(const Rect& piece, Color c) {
  target_.FillRect(piece, c);
  damage_.Add(piece);
}

inline void Painter::Copy(const Rect& piece, const Bitmap& src, int dx, int dy) {
  // Rows are short (a glyph cell is 15 pixels), yet the library's copy of
  // a row beats a loop of pixels: the compiler does not vectorise the loop
  // at this optimisation level.
  const int w = piece.w, bottom = piece.Bottom();
  for (int y = piece.y; y < bottom; ++y) {
    const std::uint32_t* from = src.Row(y - dy) + (piece.x - dx);
    std::uint32_t* to = target_.Row(y) + piece.x;
    std::memcpy(to, from, static_cast<std::size_t>(w) * sizeof(std::uint32_t));
  }
  damage_.Add(piece);
}

inline void Painter::Text(const Rect& piece, const Font& font, std::string_view text, int penX, int top, Color c) {
  int pen = penX;
  Rect touched;
  for (unsigned char ch : text) {
    const Glyph& g = font.GlyphFor(ch);
    if (pen >= piece.Right()) break;
    const Rect gr{pen + g.left, top + g.top, g.width, g.height};
    const Rect vis = gr.Intersect(piece);
    if (!vis.Empty()) {
      for (int y = vis.y; y < vis.Bottom(); ++y) {
        const std::uint8_t* m = g.mask.data() + static_cast<std::size_t>(y - gr.y) * g.width;
        std::uint32_t* row = target_.Row(y);
        for (int x = vis.x; x < vis.Right(); ++x)
          if (m[x - gr.x]) row[x] = c;
      }
      touched = touched.Union(vis);
    }
    pen += g.advance;
  }
  damage_.Add(touched);
}

}  // namespace coderain
