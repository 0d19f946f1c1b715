// Fonts in a build with no font library: the tables baked at build time
// (baked.h), found by the face and size the scene asks for.
#include <string>

#include "core/gfx/font.h"
#include "host/web/baked.h"

namespace coderain {

bool FindSceneFonts(FontFaces* faces, std::string*) {
  faces->regular = baked::kRegularFace;
  faces->bold = baked::kBoldFace;
  return true;
}

bool RasterizeFace(const std::string& face, int pixelSize, bool embolden, GlyphTable* table, std::string* error) {
  for (std::size_t i = 0; i < baked::kFontCount; ++i) {
    const baked::Font& f = baked::kFonts[i];
    if (face != f.face || pixelSize != f.pixelSize || embolden != f.embolden) continue;
    table->rowHeight = f.rowHeight;
    for (std::size_t c = 0; c < table->glyphs.size(); ++c) {
      const baked::Glyph& b = f.glyphs[c];
      Glyph& g = table->glyphs[c];
      g = Glyph{b.left, b.top, b.width, b.height, b.advance, {}};
      g.mask.resize(std::size_t{b.width} * b.height);
      for (std::size_t p = 0; p < g.mask.size(); ++p)
        g.mask[p] = static_cast<std::uint8_t>((f.bits[b.bits + p / 8] >> (7 - p % 8)) & 1);
    }
    return true;
  }
  if (error)
    *error = "font " + face + " at " + std::to_string(pixelSize) + " px" + (embolden ? ", emboldened," : "") +
             " is not built in";
  return false;
}

}  // namespace coderain
