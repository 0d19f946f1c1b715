#include "core/rain/glyph_strip.h"

#include <cassert>
#include <cmath>

namespace coderain {

namespace {

// One stroke of a glyph, one pixel wide, both ends included: a horizontal
// stroke runs along row `at` from column `from` to `to`, a vertical one
// along column `at` from row `from` to `to`.
struct Stroke {
  bool horizontal;
  int at;
  int from;
  int to;
};

constexpr Stroke Row(int r, int c0, int c1) { return {true, r, c0, c1}; }
constexpr Stroke Column(int c, int r0, int r1) { return {false, c, r0, r1}; }

constexpr int kMaxStrokes = 5;

struct GlyphShape {
  int count;
  Stroke strokes[kMaxStrokes];
};

// The ten shapes, in glyph pixels (columns 0 to 9, rows 0 to 13). The 6 has
// its middle bar a row higher than the 2, 3, 5, 8 and 9; the 4 is an open L
// with a stub rising from its foot.
constexpr GlyphShape kShapes[kDigitCount] = {
    {4, {Row(0, 0, 9), Row(13, 0, 9), Column(0, 0, 13), Column(9, 0, 13)}},
    {3, {Column(5, 0, 13), Row(5, 2, 5), Row(13, 0, 9)}},
    {5, {Row(0, 0, 9), Column(9, 0, 7), Row(7, 0, 9), Column(0, 7, 13), Row(13, 0, 9)}},
    {4, {Row(0, 0, 9), Column(9, 0, 13), Row(7, 4, 9), Row(13, 0, 9)}},
    {3, {Column(0, 0, 13), Row(13, 0, 9), Column(7, 8, 13)}},
    {5, {Row(0, 0, 9), Column(0, 0, 7), Row(7, 0, 9), Column(9, 7, 13), Row(13, 0, 9)}},
    {5, {Row(0, 0, 9), Column(0, 0, 13), Row(6, 0, 9), Column(9, 6, 13), Row(13, 0, 9)}},
    {2, {Row(0, 0, 9), Column(9, 0, 13)}},
    {5, {Row(0, 0, 9), Row(7, 0, 9), Row(13, 0, 9), Column(0, 0, 13), Column(9, 0, 13)}},
    {5, {Row(0, 0, 9), Column(0, 0, 7), Column(9, 0, 13), Row(7, 0, 9), Row(13, 0, 9)}},
};

constexpr Color kBandColors[kBandCount] = {Rgb(0, 64, 0), Rgb(0, 128, 0), Rgb(255, 255, 255)};

}  // namespace

Bitmap MakeGlyphStrip() {
  Bitmap strip(kStripWidth, kStripHeight);
  for (int b = 0; b < kBandCount; ++b) {
    for (int d = 0; d < kDigitCount; ++d) {
      const Rect cell = GlyphCell(d, b);
      for (int i = 0; i < kShapes[d].count; ++i) {
        const Stroke& s = kShapes[d].strokes[i];
        const Rect r =
            s.horizontal ? Rect::FromCorners(s.from, s.at, s.to, s.at) : Rect::FromCorners(s.at, s.from, s.at, s.to);
        strip.FillRect(r.Translated(cell.x, cell.y), kBandColors[b]);
      }
    }
  }
  return strip;
}

Rect GlyphCell(int d, int b) { return {kCellWidth * d, kCellHeight * b, kCellWidth, kCellHeight}; }

void BlitGlyph(const RainCanvas& rain, int d, int b, int x, int y) {
  assert(d >= 0 && d < kDigitCount && b >= 0 && b < kBandCount);
  rain.window.Blit({x, y}, rain.digits, GlyphCell(d, b));
}

// The random source is seeded once when the scene starts; there is no
// reseed from the clock here, so one seed always gives the same picture.
double RandomColumn(const RainCanvas& rain) {
  const double w = rain.window.Width();
  return kCellWidth * std::floor(rain.random.Next() * (w / kCellWidth));
}

}  // namespace coderain
