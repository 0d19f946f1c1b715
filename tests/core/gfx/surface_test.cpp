#include "core/gfx/surface.h"

#include <gtest/gtest.h>

#include <tuple>

#include "test_support.h"

namespace coderain {
namespace {

constexpr Color kRed = Rgb(255, 0, 0);
constexpr Color kGreen = Rgb(0, 255, 0);

struct Desk {
  Bitmap fb{40, 30};
  Window window{&fb};
  Panel& a = window.AddPanel("a");
  Panel& b = window.AddPanel("b");
  Desk() {
    window.Move(40, 30);
    a.Move(5, 5, 10, 8);     // drawing area (6, 6)..(13, 11)
    b.Move(10, 10, 12, 10);  // on top of a where they overlap
  }
};

TEST(Bitmap, AllocateRefusesWhatItCannotHold) {
  Bitmap b(2, 2);
  // 2^31 - 1 squared: more than memory holds, and 1 where a size_t is 32
  // bits and the product wraps.
  EXPECT_FALSE(Bitmap::Allocate(2147483647, 2147483647, &b));
  EXPECT_EQ(b.Width(), 2);
  ASSERT_TRUE(Bitmap::Allocate(3, 2, &b));
  EXPECT_EQ(b.Width() * b.Height(), 6);
  EXPECT_EQ(b.Pixel(2, 1), kBlack);
}

TEST(Surface, PrimitivesPaintExactPixels) {
  Desk d;
  // A line leaves its end point alone, in both directions: {from, to,
  // pixels around it, how many of them it paints}.
  const std::tuple<Point, Point, Rect, int> lines[] = {
      {{20, 0}, {25, 0}, {20, 0, 6, 1}, 5}, {{30, 4}, {30, 1}, {30, 0, 1, 5}, 3}, {{35, 3}, {35, 3}, {35, 3, 1, 1}, 0}};
  for (const auto& [from, to, around, painted] : lines) {
    d.window.DrawLine(from, to, kRed);
    EXPECT_EQ(test::CountPixels(d.fb, around, kRed), painted) << from.x << "," << from.y;
    EXPECT_EQ(d.fb.Pixel(to.x, to.y), kBlack);
  }
  // Rectangles hold both corners: 3 x 3 filled, 8 outline pixels.
  d.window.FillRect({25, 20}, {27, 22}, kGreen);
  EXPECT_EQ(test::CountPixels(d.fb, d.fb.Bounds(), kGreen), 9);
  d.window.DrawRect({30, 20}, {32, 22}, kRed);
  EXPECT_EQ(test::CountPixels(d.fb, {30, 20, 3, 3}, kRed), 8);
  EXPECT_EQ(d.fb.Pixel(31, 21), kBlack);
}

TEST(Surface, WindowDrawingLeavesVisiblePanelsAlone) {
  Desk d;
  d.window.FillRect({0, 0}, {39, 29}, kRed);
  // Both panels' outer rectangles, borders included, stay black.
  EXPECT_EQ(test::CountPixels(d.fb, d.a.OuterRect(), kRed), 0);
  EXPECT_EQ(test::CountPixels(d.fb, d.b.OuterRect(), kRed), 0);
  EXPECT_EQ(test::CountPixels(d.fb, d.fb.Bounds(), kRed), 40 * 30 - 10 * 8 - 12 * 10 + 5 * 3);

  // A hidden panel's area takes window drawing; shown again it is black.
  d.b.SetVisible(false);
  EXPECT_EQ(test::CountPixels(d.fb, d.b.OuterRect(), kRed), 0);
  d.window.FillRect({0, 0}, {39, 29}, kRed);
  EXPECT_EQ(test::CountPixels(d.fb, {15, 13, 7, 7}, kRed), 49);  // the part of b not over a
  d.b.SetVisible(true);
  EXPECT_EQ(test::CountPixels(d.fb, d.b.OuterRect(), kRed), 0);
}

TEST(Surface, PanelDrawingStaysInsideItsBorderAndUnderPanelsAbove) {
  Desk d;
  d.a.FillRect({-5, -5}, {50, 50}, kGreen);
  // a's drawing area is 8 x 6 from (6, 6); b covers its corner from (10, 10).
  EXPECT_EQ(test::CountPixels(d.fb, d.fb.Bounds(), kGreen), 8 * 6 - 4 * 2);
  EXPECT_EQ(d.fb.Pixel(5, 5), kBlack);    // border
  EXPECT_EQ(d.fb.Pixel(6, 6), kGreen);    // first drawable pixel
  EXPECT_EQ(d.fb.Pixel(10, 10), kBlack);  // under b
  d.b.FillRect({-1, -1}, {0, 0}, kRed);   // b is on top: its origin pixel shows
  EXPECT_EQ(d.fb.Pixel(11, 11), kRed);
  d.a.SetVisible(false);
  d.a.FillRect({0, 0}, {3, 3}, kRed);  // a hidden panel paints nothing
  EXPECT_EQ(test::CountPixels(d.fb, d.a.OuterRect(), kRed), 1);
}

TEST(Surface, BlitIsOpaqueAndClipped) {
  Desk d;
  Bitmap src(4, 3);
  src.SetPixel(0, 0, kGreen);
  d.window.FillRect({30, 20}, {39, 29}, kRed);
  d.window.Blit({30, 20}, src, {0, 0, 4, 3});
  EXPECT_EQ(d.fb.Pixel(30, 20), kGreen);
  EXPECT_EQ(test::CountPixels(d.fb, {30, 20, 4, 3}, kBlack), 11);
  // Off the top edge: only the rows inside the window are written.
  d.window.Blit({30, -2}, src, {0, 0, 4, 3});
  EXPECT_EQ(test::CountPixels(d.fb, {30, 0, 4, 1}, kBlack), 4);
  // The part of the source rectangle outside the source is not copied.
  d.window.Blit({36, 26}, src, {2, 1, 4, 4});
  EXPECT_EQ(test::CountPixels(d.fb, {36, 26, 2, 2}, kBlack), 4);
  EXPECT_EQ(test::CountPixels(d.fb, {38, 26, 2, 4}, kRed), 8);
}

TEST(Surface, DrawingIsRecordedAsDamage) {
  Desk d;
  d.window.Damage().Clear();
  d.window.FillRect({0, 0}, {2, 2}, kRed);
  ASSERT_EQ(d.window.Damage().Rects().size(), 1u);
  EXPECT_EQ(d.window.Damage().Rects()[0], (Rect{0, 0, 3, 3}));
  // Past kMaxRects rectangles, the list folds into their bounds, the last
  // one included.
  d.window.Damage().Clear();
  // The pixels right of the panels, column by column, and the last one.
  static_assert(DamageList::kMaxRects < 18 * 30);
  for (int i = 0; i < DamageList::kMaxRects; ++i) d.window.FillRect({22 + i / 30, i % 30}, {22 + i / 30, i % 30}, kRed);
  EXPECT_EQ(d.window.Damage().Rects().size(), static_cast<size_t>(DamageList::kMaxRects));
  d.window.FillRect({39, 29}, {39, 29}, kRed);
  EXPECT_EQ(d.window.Damage().Rects(), (std::vector<Rect>{{22, 0, 18, 30}}));
}

TEST(Damage, CoalescingSendsFewerRectanglesAndMissesNoPixel) {
  struct Case {
    const char* what;
    std::vector<Rect> in, out;
  };
  const Case cases[] = {
      {"nothing", {}, {}},
      {"a stream's cells, one under another", {{0, 13, 14, 13}, {0, 0, 14, 13}}, {{0, 0, 14, 26}}},
      {"a line's glyphs side by side", {{14, 0, 14, 13}, {0, 0, 14, 13}}, {{0, 0, 28, 13}}},
      {"a cell drawn twice", {{5, 5, 14, 13}, {5, 5, 14, 13}}, {{5, 5, 14, 13}}},
      {"cells far apart", {{600, 400, 14, 13}, {0, 0, 14, 13}}, {{0, 0, 14, 13}, {600, 400, 14, 13}}},
      // 1,118 pixels between them: more than the 1,024 allowed.
      {"cells just too far apart", {{0, 0, 14, 13}, {100, 0, 14, 13}}, {{0, 0, 14, 13}, {100, 0, 14, 13}}},
  };
  for (const Case& c : cases) {
    std::vector<Rect> v = c.in;
    Coalesce(&v, 1024);
    EXPECT_EQ(v, c.out) << c.what;
  }
  // Four frames of a running scene, a present under a cap of 15 a second:
  // every pixel drawn is sent, in far fewer rectangles, and each merge
  // adds at most the pixels allowed.
  test::Scene scene(640, 480, std::make_unique<SeededRandom>(3));
  scene->RunUntil(10000);
  scene->Damage().Clear();
  scene->RunUntil(10067);
  const std::vector<Rect> drawn = scene->Damage().Rects();
  std::vector<Rect> sent = drawn;
  Coalesce(&sent, 1024);
  EXPECT_LT(sent.size() * 3, drawn.size() * 2);
  Bitmap mask(640, 480);
  long long drawnPixels = 0, sentPixels = 0;
  for (const Rect& r : drawn) {
    mask.FillRect(r, 1);
    drawnPixels += r.Area();
  }
  for (const Rect& r : sent) {
    mask.FillRect(r, 2);
    sentPixels += r.Area();
  }
  EXPECT_EQ(test::CountPixels(mask, mask.Bounds(), 1), 0) << "drawn and not sent";
  EXPECT_LE(sentPixels, drawnPixels + static_cast<long long>(drawn.size() - sent.size()) * 1024);
}

TEST(Surface, TextIsTransparentAndMovesThePosition) {
  SceneFonts fonts = test::PinnedFonts();
  Desk d;
  d.a.Move(0, 0, 40, 30);
  d.b.SetVisible(false);
  d.a.SetFonts(fonts.panel.get(), fonts.panelBold.get());
  d.a.ForeColor = kGreen;
  d.a.FillRect({0, 0}, {37, 27}, kRed);
  d.a.CurrentX = 1;
  d.a.CurrentY = 2;
  d.a.Print("H", false);
  const int h = fonts.panel->RowHeight();
  EXPECT_EQ(d.a.CurrentX, 1 + fonts.panel->TextWidth("H"));
  EXPECT_EQ(d.a.CurrentY, 2);
  const int lit = test::CountPixels(d.fb, d.fb.Bounds(), kGreen);
  EXPECT_GT(lit, 5);
  // Only glyph pixels change: the rest of the red stays.
  EXPECT_EQ(test::CountPixels(d.fb, d.fb.Bounds(), kRed), 38 * 28 - lit);
  d.a.Print("  ", true);  // blanks paint nothing
  EXPECT_EQ(test::CountPixels(d.fb, d.fb.Bounds(), kGreen), lit);
  EXPECT_EQ(d.a.CurrentX, 0);
  EXPECT_EQ(d.a.CurrentY, 2 + h);
  d.a.FontBold = true;
  EXPECT_EQ(d.a.TextHeight("a"), fonts.panelBold->RowHeight());
}

TEST(Fonts, SizesFollowPointsAt96Dpi) {
  EXPECT_EQ(PointsToPixels(6), 8);
  EXPECT_EQ(PointsToPixels(6.75), 9);
  SceneFonts fonts = test::PinnedFonts();
  // DejaVu Sans Mono: ascender minus descender at 8 and 9 pixels.
  EXPECT_EQ(fonts.window->RowHeight(), 10);
  EXPECT_EQ(fonts.panel->RowHeight(), 12);
  EXPECT_EQ(fonts.panel->TextWidth("abc"), 3 * fonts.panel->TextWidth("a"));
  std::string error;
  EXPECT_EQ(Font::Open("/nonexistent/font.ttf", 9, false, &error), nullptr);
  EXPECT_NE(error.find("/nonexistent/font.ttf"), std::string::npos);
}

}  // namespace
}  // namespace coderain
