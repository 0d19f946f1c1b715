// Monochrome text: the glyph tables the scene draws text from.
//
// A Font is one face at one pixel size. Glyphs are rendered without
// anti-aliasing, so text is transparent in the strict sense: a pixel is
// either painted in the text colour or left alone. Characters are Latin-1
// bytes (0 to 255); every glyph is rasterised once, when the font is opened,
// so drawing text allocates nothing. Finding a face and rasterising it are
// the host's font library's (FindSceneFonts, RasterizeFace: FreeType and
// fontconfig in host/freetype/).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace coderain {

// One rasterised character: a coverage mask of 0 or 1 per pixel, placed
// relative to the pen at the top of the text row.
struct Glyph {
  int left = 0;  // first column, from the pen position
  int top = 0;   // first row, from the top of the text row
  int width = 0;
  int height = 0;
  int advance = 0;                 // pen movement in whole pixels
  std::vector<std::uint8_t> mask;  // width x height, row-major, 1 = painted
};

// One face at one size, rasterised: the row height and every glyph.
struct GlyphTable {
  int rowHeight = 0;
  std::array<Glyph, 256> glyphs{};
};

class Font {
 public:
  // Opens `face` (as the font library names it: a file for FreeType) at
  // `pixelSize` pixels per em. With `embolden` the outlines are thickened
  // (for a family without a bold face). Returns null and sets *error when
  // the face cannot be used or shows no character at all.
  static std::unique_ptr<Font> Open(const std::string& face, int pixelSize, bool embolden, std::string* error);

  // Height of one text row in pixels: the face's ascender minus its
  // descender at this size. Every row of text is this high whatever it holds.
  int RowHeight() const { return rowHeight_; }
  const Glyph& GlyphFor(unsigned char c) const { return glyphs_[c]; }
  int TextWidth(std::string_view text) const;

 private:
  explicit Font(GlyphTable table) : rowHeight_(table.rowHeight), glyphs_(std::move(table.glyphs)) {}
  int rowHeight_ = 0;
  std::array<Glyph, 256> glyphs_{};
};

// Points at 96 dots per inch to pixels per em, rounded: 6 pt is 8 px and
// 6.75 pt is 9 px.
int PointsToPixels(double points);

// The sizes of the scene's text in points: the window's (measured, never
// drawn) and the panels'.
inline constexpr double kWindowPoints = 6;
inline constexpr double kPanelPoints = 6.75;

// The faces the scene uses, as the font library names them (files for
// FreeType): a regular face and, where the family has one, its bold face
// (empty: bold is made by emboldening the regular face).
struct FontFaces {
  std::string regular;
  std::string bold;
};

// --- What the host's font library does (one implementation per host) ---

// The families the scene's face is taken from, in order, each only where it
// is really installed (a font library offers some face for any name). Past
// them each host has a last resort of its own: a monospaced sans-serif
// face, then the system's monospace (fontconfig); Courier New (GDI).
inline constexpr const char* kSceneFamilies[] = {"Lucida Console", "DejaVu Sans Mono", "Consolas"};

// Finds the first of kSceneFamilies installed, else the host's last
// resort. Returns false and sets *error when none gives a usable face.
bool FindSceneFonts(FontFaces* faces, std::string* error);
// Rasterises `face` at `pixelSize` pixels per em into *table: a row's
// height is the face's ascender minus its descender; control characters
// take a blank's advance and show nothing. Returns false and sets *error
// when the face cannot be read at that size.
bool RasterizeFace(const std::string& face, int pixelSize, bool embolden, GlyphTable* table, std::string* error);

// One face at one size, as the scene opens it.
struct FaceRequest {
  std::string face;
  int pixelSize = 0;
  bool embolden = false;
};

// The three fonts the scene opens from `faces`, in SceneFonts' order:
// the window's, the panels' and the panels' bold.
std::array<FaceRequest, 3> SceneFaceRequests(const FontFaces& faces);

// The fonts of the scene window and its text panels.
struct SceneFonts {
  std::unique_ptr<Font> window;     // kWindowPoints regular: measuring only
  std::unique_ptr<Font> panel;      // kPanelPoints regular
  std::unique_ptr<Font> panelBold;  // kPanelPoints bold

  // Opens the three from `faces`. Returns false and sets *error on failure.
  bool Load(const FontFaces& faces, std::string* error);
};

}  // namespace coderain
