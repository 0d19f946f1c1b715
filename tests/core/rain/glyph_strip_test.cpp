#include "core/rain/glyph_strip.h"

#include <gtest/gtest.h>

#include "rain_checks.h"
#include "test_support.h"

namespace coderain {
namespace {

constexpr int kLitPixels[kDigitCount] = {44, 26, 41, 37, 28, 41, 47, 23, 52, 47};

TEST(GlyphStrip, EachBandHoldsTheSameTenShapesInItsOwnColour) {
  const Bitmap strip = MakeGlyphStrip();
  ASSERT_EQ(strip.Width(), 150);
  ASSERT_EQ(strip.Height(), 54);
  const Color colours[] = {Rgb(0, 64, 0), Rgb(0, 128, 0), Rgb(255, 255, 255)};
  for (int b = 0; b < kBandCount; ++b)
    for (int d = 0; d < kDigitCount; ++d) {
      const Rect cell = GlyphCell(d, b);
      const Rect glyph{cell.x, cell.y, 10, 14};
      EXPECT_EQ(test::CountPixels(strip, glyph, colours[b]), kLitPixels[d]) << "digit " << d << " band " << b;
      // Everything in the cell that is not a stroke is black, the slivers
      // right of the glyph and below it included.
      EXPECT_EQ(test::CountPixels(strip, cell, kBlack), 270 - kLitPixels[d]) << "digit " << d << " band " << b;
      for (int r = 0; r < 14; ++r)
        for (int c = 0; c < 10; ++c)
          EXPECT_EQ(strip.Pixel(cell.x + c, cell.y + r) == kBlack, strip.Pixel(15 * d + c, r) == kBlack);
    }
}

TEST(GlyphStrip, ShapesHaveTheirDistinguishingStrokes) {
  const Bitmap strip = MakeGlyphStrip();
  auto lit = [&](int d, int c, int r) { return strip.Pixel(15 * d + c, r) != kBlack; };
  // The 0 is a closed rectangle outline.
  for (int r = 0; r < 14; ++r)
    for (int c = 0; c < 10; ++c) EXPECT_EQ(lit(0, c, r), r == 0 || r == 13 || c == 0 || c == 9) << c << "," << r;
  // The 1's flag points left from its stem; its foot is full width.
  EXPECT_TRUE(lit(1, 2, 5) && lit(1, 0, 13) && lit(1, 9, 13));
  EXPECT_FALSE(lit(1, 1, 5) || lit(1, 6, 5));
  // The 6 has its bar on row 6, the 5 on row 7.
  EXPECT_TRUE(lit(6, 5, 6) && !lit(6, 5, 7));
  EXPECT_TRUE(lit(5, 5, 7) && !lit(5, 5, 6));
  // The 4 is an open L with a stub rising six rows from the foot.
  EXPECT_TRUE(lit(4, 7, 8) && !lit(4, 7, 7) && !lit(4, 9, 12));
  // The 3's bar starts at column 4; the 2 turns down on the left below it.
  EXPECT_TRUE(lit(3, 4, 7) && !lit(3, 3, 7));
  EXPECT_TRUE(lit(2, 0, 7) && !lit(2, 0, 6) && !lit(2, 9, 8));
  // The 9 is open below its bar on the left.
  EXPECT_TRUE(lit(9, 0, 7) && !lit(9, 0, 8));
}

// At 640 x 480 the window's own surface is free between x = 224 and 443,
// and right of that between y = 388 and 409.
TEST(BlitGlyph, PaintsTheWholeCellOpaquelyClippedToTheWindowAndNotOverVisiblePanels) {
  test::Scene scene(640, 480);
  ASSERT_TRUE(scene.started);
  Form1& f = *scene;
  const Color lit = Rgb(200, 10, 10);
  f.Framebuffer.Fill(lit);

  // Over a lit area every cell leaves no trace of what lay under it,
  // digit 9 and band 2 included.
  for (int b = 0; b < kBandCount; ++b)
    for (int d = 0; d < kDigitCount; ++d) BlitGlyph(f.Burst.rain, d, b, 225 + 15 * d, 100 + 18 * b);
  for (int b = 0; b < kBandCount; ++b)
    for (int d = 0; d < kDigitCount; ++d) EXPECT_TRUE(test::ShowsCell(f, 225 + 15 * d, 100 + 18 * b, d, b)) << d << b;

  // Off the top nothing shows; at the right and bottom edges the part of
  // the cell on the window does.
  BlitGlyph(f.Burst.rain, 8, 1, 300, -18);
  BlitGlyph(f.Burst.rain, 8, 1, 630, 390);
  BlitGlyph(f.Burst.rain, 8, 1, 300, 475);
  EXPECT_TRUE(test::AllOf(f.Framebuffer, {0, 0, 640, 18}, lit));
  EXPECT_TRUE(test::ShowsCell(f, 630, 390, 8, 1));
  EXPECT_TRUE(test::AllOf(f.Framebuffer, {630, 390, 10, 1}, Rgb(0, 128, 0)));
  EXPECT_TRUE(test::ShowsCell(f, 300, 475, 8, 1));

  // A copy at y = -9 writes the cell's lower half into the top 9 rows.
  BlitGlyph(f.Burst.rain, 8, 1, 300, -9);
  EXPECT_TRUE(test::ShowsCell(f, 300, -9, 8, 1));
  EXPECT_TRUE(test::AllOf(f.Framebuffer, {300, 9, 15, 9}, lit));

  // Nothing shows over a visible panel; a hidden one is drawn on.
  const Rect watch = f.picWatch.OuterRect();
  BlitGlyph(f.Burst.rain, 8, 1, watch.x + 15, 30);
  EXPECT_TRUE(test::AllOf(f.Framebuffer, {watch.x + 15, 30, 15, 18}, lit));
  f.picWatch.SetVisible(false);
  BlitGlyph(f.Burst.rain, 8, 1, watch.x + 15, 30);
  EXPECT_TRUE(test::ShowsCell(f, watch.x + 15, 30, 8, 1));
}

}  // namespace
}  // namespace coderain
