#include "platform/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>

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

int PointsToPixels(double points) { return static_cast<int>(std::lround(points * 96.0 / 72.0)); }

std::unique_ptr<Font> Font::Open(const std::string& file, int pixelSize, bool embolden, std::string* error) {
  FtFace ft;
  if (FT_Init_FreeType(&ft.lib) != 0) {
    if (error) *error = "cannot start the font rasteriser";
    return nullptr;
  }
  if (FT_New_Face(ft.lib, file.c_str(), 0, &ft.face) != 0) {
    if (error) *error = "cannot read font file " + file;
    return nullptr;
  }
  if (FT_Set_Pixel_Sizes(ft.face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
    if (error) *error = "font file " + file + " has no size " + std::to_string(pixelSize) + " px";
    return nullptr;
  }
  std::unique_ptr<Font> font(new Font());
  const FT_Size_Metrics& m = ft.face->size->metrics;
  const int ascender = Pixels26(m.ascender + 63);
  const int descender = Pixels26(m.descender);  // negative, floored
  font->rowHeight_ = ascender - descender;
  bool anyGlyph = false;
  for (int c = 0; c < 256; ++c) {
    Glyph& g = font->glyphs_[static_cast<std::size_t>(c)];
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
    anyGlyph = anyGlyph || g.width > 0;
  }
  if (!anyGlyph) {
    if (error) *error = "font file " + file + " has no usable characters";
    return nullptr;
  }
  return font;
}

int Font::TextWidth(std::string_view text) const {
  int w = 0;
  for (unsigned char c : text) w += glyphs_[c].advance;
  return w;
}

namespace {

// The file fontconfig gives for `pattern`, and the family it matched.
bool Match(FcConfig* config, const char* pattern, std::string* file, std::string* family) {
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
  if (!pat) return false;
  FcConfigSubstitute(config, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(config, pat, &result);
  FcPatternDestroy(pat);
  if (!found) return false;
  FcChar8* f = nullptr;
  FcChar8* fam = nullptr;
  bool ok = FcPatternGetString(found, FC_FILE, 0, &f) == FcResultMatch;
  if (ok) *file = reinterpret_cast<const char*>(f);
  if (FcPatternGetString(found, FC_FAMILY, 0, &fam) == FcResultMatch) *family = reinterpret_cast<const char*>(fam);
  int weight = 0;
  if (FcPatternGetInteger(found, FC_WEIGHT, 0, &weight) == FcResultMatch &&
      std::string(pattern).find(":bold") != std::string::npos && weight < FC_WEIGHT_BOLD)
    *file = "";  // no real bold face: the caller emboldens
  FcPatternDestroy(found);
  return ok;
}

}  // namespace

bool FindSceneFonts(FontFiles* files, std::string* error) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) {
    if (error) *error = "cannot read the font configuration";
    return false;
  }
  std::string file, family;
  std::string chosen = "monospace";
  // Fontconfig always answers with something; the preferred family counts
  // only when it is really there.
  if (Match(config, "Lucida Console", &file, &family) && family == "Lucida Console") chosen = "Lucida Console";
  bool ok = Match(config, chosen.c_str(), &files->regular, &family) && !files->regular.empty();
  std::string bold;
  if (ok) {
    Match(config, (chosen + ":bold").c_str(), &bold, &family);
    files->bold = bold;
  }
  FcConfigDestroy(config);
  if (!ok && error) *error = "no usable font: neither \"Lucida Console\" nor a monospace font is installed";
  return ok;
}

bool SceneFonts::Load(const FontFiles& files, std::string* error) {
  const bool embolden = files.bold.empty();
  window = Font::Open(files.regular, PointsToPixels(6), false, error);
  if (!window) return false;
  panel = Font::Open(files.regular, PointsToPixels(6.75), false, error);
  if (!panel) return false;
  panelBold = Font::Open(embolden ? files.regular : files.bold, PointsToPixels(6.75), embolden, error);
  return panelBold != nullptr;
}

}  // namespace coderain
