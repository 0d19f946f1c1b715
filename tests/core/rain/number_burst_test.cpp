#include "core/rain/number_burst.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <memory>

#include "rain_checks.h"
#include "test_support.h"

namespace coderain {
namespace {

constexpr double kAlmostOne = 0.9999999999;

using test::ColumnDraw;
using test::RowDraw;

int LitPixels(const Bitmap& b) {
  return static_cast<int>(b.Bounds().Area()) - test::CountPixels(b, b.Bounds(), kBlack);
}

TEST(DrawNumber, PutsTheNineDigitsWithLeadingZerosEachInItsOwnCell) {
  struct Case {
    std::int32_t n;
    int digits[9];
    int firstRow;
  };
  for (const Case& c : {Case{42, {0, 0, 0, 0, 0, 0, 0, 4, 2}, 5}, Case{0, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 6}}) {
    // Digit i goes i cells right of column 20, in row firstRow + 2 i.
    std::deque<double> draws;
    for (int i = 1; i <= 9; ++i) draws.insert(draws.end(), {ColumnDraw(20), RowDraw(c.firstRow + 2 * i)});
    test::Scene scene(1024, 768, std::make_unique<ScriptedRandom>(draws));
    ASSERT_TRUE(scene.started);
    DrawNumber(scene->Burst.rain, c.n);
    int lit = 0;
    for (int i = 1; i <= 9; ++i) {
      EXPECT_TRUE(test::ShowsCell(*scene, 300 + 15 * i, 18 * (c.firstRow + 2 * i), c.digits[i - 1], 0)) << i;
      lit += test::CountPixels(scene->digits, GlyphCell(c.digits[i - 1], 0), Rgb(0, 64, 0));
    }
    EXPECT_EQ(LitPixels(scene.framebuffer), lit) << "n = " << c.n;
  }
}

TEST(DrawNumber, ReachesTheLastColumnAndRowOfTheWindow) {
  std::deque<double> draws = {0.0, kAlmostOne};
  // From column 1020 every digit lands past the right edge: nothing shows.
  for (int i = 0; i < 9; ++i) draws.insert(draws.end(), {kAlmostOne, kAlmostOne});
  // From column 0 the digits fill columns 1 to 9 of the bottom row, y = 756,
  // of which only the top 12 pixel rows lie on the window.
  for (int i = 0; i < 9; ++i) draws.insert(draws.end(), {0.0, kAlmostOne});
  test::Scene scene(1024, 768, std::make_unique<ScriptedRandom>(draws));
  ASSERT_TRUE(scene.started);
  Form1& f = *scene;
  // W = 1024 gives the 69 columns 0 to 1020.
  EXPECT_EQ(RandomColumn(f.Burst.rain), 0.0);
  EXPECT_EQ(RandomColumn(f.Burst.rain), 1020.0);
  DrawNumber(f.Burst.rain, 888888888);
  EXPECT_EQ(LitPixels(f.Framebuffer), 0);
  DrawNumber(f.Burst.rain, 888888888);
  for (int i = 1; i <= 9; ++i) EXPECT_TRUE(test::ShowsCell(f, 15 * i, 756, 8, 0)) << i;
  EXPECT_EQ(LitPixels(f.Framebuffer), 9 * 40);
}

TEST(Timer1, FirstTickFillsTheWindowBehindThePanelsThenEachTickAddsOneNumber) {
  test::Scene scene(1024, 768, std::make_unique<SeededRandom>(7));
  ASSERT_TRUE(scene.started);
  Form1& f = *scene;
  NumberBurstTick(f.Burst);
  EXPECT_EQ(f.State.BurstDone, -1);
  for (const auto& p : f.WindowSurface.Panels()) {
    EXPECT_TRUE(p->Visible()) << p->Name();
    EXPECT_TRUE(test::AllOf(f.Framebuffer, p->OuterRect(), kBlack)) << p->Name();
  }
  // Digit i of a number lands at least i cells from the left edge.
  EXPECT_TRUE(test::AllOf(f.Framebuffer, {0, 0, 15, 768}, kBlack));

  int cells = 0, lit = 0;
  for (int y = 0; y < 768; y += 18) {
    for (int x = 0; x < 1024; x += 15) {
      if (!test::OutsidePanels(f, x, y)) continue;
      const int content = test::CellContent(f, x, y);
      ASSERT_TRUE(content >= -1 && content <= 9) << "cell at " << x << "," << y << " shows " << content;
      // From column 9 on, every digit position of a number reaches a cell.
      if (x >= 9 * 15) ++cells, lit += content >= 0;
    }
  }
  EXPECT_GT(cells, 1500);
  EXPECT_GE(lit, cells * 99 / 100);

  const Bitmap before = f.Framebuffer;
  NumberBurstTick(f.Burst);
  EXPECT_EQ(f.State.BurstDone, -1);
  int changed = 0;
  for (int y = 0; y < 768; y += 18) {
    for (int x = 0; x < 1024; x += 15) {
      if (test::CountChanged(f.Framebuffer, before, {x, y, 15, 18}) == 0) continue;
      ++changed;
      EXPECT_TRUE(test::OutsidePanels(f, x, y)) << "cell at " << x << "," << y;
    }
  }
  EXPECT_LE(changed, 9);
  EXPECT_GE(changed, 1);
}

}  // namespace
}  // namespace coderain
