#include "core/gfx/font.h"

#include <cmath>

namespace coderain {

int PointsToPixels(double points) { return static_cast<int>(std::lround(points * 96.0 / 72.0)); }

std::unique_ptr<Font> Font::Open(const std::string& face, int pixelSize, bool embolden, std::string* error) {
  GlyphTable table;
  if (!RasterizeFace(face, pixelSize, embolden, &table, error)) return nullptr;
  bool anyGlyph = false;
  for (const Glyph& g : table.glyphs) anyGlyph = anyGlyph || g.width > 0;
  if (!anyGlyph) {
    if (error) *error = "font " + face + " has no usable characters";
    return nullptr;
  }
  return std::unique_ptr<Font>(new Font(std::move(table)));
}

int Font::TextWidth(std::string_view text) const {
  int w = 0;
  for (unsigned char c : text) w += glyphs_[c].advance;
  return w;
}

std::array<FaceRequest, 3> SceneFaceRequests(const FontFaces& faces) {
  const bool embolden = faces.bold.empty();
  return {{{faces.regular, PointsToPixels(kWindowPoints), false},
           {faces.regular, PointsToPixels(kPanelPoints), false},
           {embolden ? faces.regular : faces.bold, PointsToPixels(kPanelPoints), embolden}}};
}

bool SceneFonts::Load(const FontFaces& faces, std::string* error) {
  const std::array<FaceRequest, 3> asked = SceneFaceRequests(faces);
  std::unique_ptr<Font>* fonts[] = {&window, &panel, &panelBold};
  for (std::size_t i = 0; i < asked.size(); ++i) {
    *fonts[i] = Font::Open(asked[i].face, asked[i].pixelSize, asked[i].embolden, error);
    if (!*fonts[i]) return false;
  }
  return true;
}

}  // namespace coderain
