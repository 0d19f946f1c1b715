// Faces found by fontconfig and rasterised by FreeType.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <string>
#include <vector>

#include "core/gfx/font.h"

namespace coderain {

namespace {

// Owns a FreeType library and face for the length of a call.
struct FtFace {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  ~FtFace() {
    if (face) FT_Done_Face(face);
    if (lib) FT_Done_FreeType(lib);
  }
};

int Pixels26(FT_Pos v) { return static_cast<int>(v >> 6); }

// Unpacks a 1-bit bitmap (most significant bit first; rows may run bottom-up
// when the pitch is negative) or an 8-bit one into a 0/1 mask.
void CopyMask(const FT_Bitmap& bm, Glyph* g) {
  g->width = static_cast<int>(bm.width);
  g->height = static_cast<int>(bm.rows);
  g->mask.assign(static_cast<std::size_t>(g->width) * static_cast<std::size_t>(g->height), 0);
  for (int y = 0; y < g->height; ++y) {
    const unsigned char* row = bm.pitch >= 0 ? bm.buffer + y * bm.pitch : bm.buffer + (g->height - 1 - y) * -bm.pitch;
    for (int x = 0; x < g->width; ++x) {
      bool on = false;
      switch (bm.pixel_mode) {
        case FT_PIXEL_MODE_MONO:
          on = (row[x >> 3] >> (7 - (x & 7))) & 1;
          break;
        case FT_PIXEL_MODE_GRAY:
          on = row[x] >= 128;
          break;
        default:
          break;
      }
      g->mask[static_cast<std::size_t>(y) * static_cast<std::size_t>(g->width) + static_cast<std::size_t>(x)] =
          on ? 1 : 0;
    }
  }
}

}  // namespace

bool RasterizeFace(const std::string& file, int pixelSize, bool embolden, GlyphTable* table, std::string* error) {
  FtFace ft;
  if (FT_Init_FreeType(&ft.lib) != 0) {
    if (error) *error = "cannot start the font rasteriser";
    return false;
  }
  if (FT_New_Face(ft.lib, file.c_str(), 0, &ft.face) != 0) {
    if (error) *error = "cannot read font file " + file;
    return false;
  }
  if (FT_Set_Pixel_Sizes(ft.face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
    if (error) *error = "font file " + file + " has no size " + std::to_string(pixelSize) + " px";
    return false;
  }
  const FT_Size_Metrics& m = ft.face->size->metrics;
  const int ascender = Pixels26(m.ascender + 63);
  const int descender = Pixels26(m.descender);  // negative, floored
  table->rowHeight = ascender - descender;
  for (int c = 0; c < 256; ++c) {
    Glyph& g = table->glyphs[static_cast<std::size_t>(c)];
    // Control characters take a blank's cell but show nothing.
    const bool control = c < 32 || (c >= 127 && c < 160);
    const FT_UInt index = FT_Get_Char_Index(ft.face, control ? FT_ULong{' '} : static_cast<FT_ULong>(c));
    if (FT_Load_Glyph(ft.face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0) continue;
    FT_GlyphSlot slot = ft.face->glyph;
    if (embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE) FT_Outline_EmboldenXY(&slot->outline, 64, 0);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) continue;
    g.advance = Pixels26(slot->advance.x + 32);
    if (control) continue;
    CopyMask(slot->bitmap, &g);
    g.left = slot->bitmap_left;
    g.top = ascender - slot->bitmap_top;
  }
  return true;
}

namespace {

// What fontconfig gives for a pattern.
struct Matched {
  std::string file;
  std::string family;
  int spacing = FC_PROPORTIONAL;
  bool bold = false;
};

bool Match(FcConfig* config, const std::string& pattern, Matched* m) {
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
  if (!pat) return false;
  FcConfigSubstitute(config, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(config, pat, &result);
  FcPatternDestroy(pat);
  if (!found) return false;
  FcChar8* text = nullptr;
  const bool ok = FcPatternGetString(found, FC_FILE, 0, &text) == FcResultMatch;
  if (ok) m->file = reinterpret_cast<const char*>(text);
  if (FcPatternGetString(found, FC_FAMILY, 0, &text) == FcResultMatch) m->family = reinterpret_cast<const char*>(text);
  FcPatternGetInteger(found, FC_SPACING, 0, &m->spacing);
  int weight = 0;
  m->bold = FcPatternGetInteger(found, FC_WEIGHT, 0, &weight) == FcResultMatch && weight >= FC_WEIGHT_BOLD;
  FcPatternDestroy(found);
  return ok && !m->file.empty();
}

}  // namespace

bool FindSceneFonts(FontFaces* faces, std::string* error) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) {
    if (error) *error = "cannot read the font configuration";
    return false;
  }
  // Fontconfig always answers with something, so each family counts only
  // where it is really there. The system's monospace comes last: it
  // changes with whatever else is installed (a thin serif face whose
  // letters break apart at these sizes, on many desktops), and the panels'
  // rows change with its height.
  struct Choice {
    const char* pattern;
    const char* family;  // the family it must be; null: any monospaced face
  };
  std::vector<Choice> choices;
  for (const char* family : kSceneFamilies) choices.push_back({family, family});
  choices.insert(choices.end(), {{"sans-serif:spacing=mono", nullptr}, {"monospace", ""}});
  Matched m;
  bool ok = false;
  for (const Choice& c : choices) {
    ok = Match(config, c.pattern, &m) && (c.family ? !*c.family || m.family == c.family : m.spacing == FC_MONO);
    if (ok) break;
  }
  if (ok) {
    faces->regular = m.file;
    Matched bold;
    // A family without a real bold face gets its regular face emboldened.
    faces->bold = Match(config, m.family + ":bold", &bold) && bold.family == m.family && bold.bold ? bold.file : "";
  }
  FcConfigDestroy(config);
  if (!ok && error)
    *error = "no usable font: neither \"" + std::string(kSceneFamilies[0]) + "\" nor a monospace font is installed";
  return ok;
}

}  // namespace coderain
