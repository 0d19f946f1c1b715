#include "core/app/form1.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

namespace coderain {
namespace {

struct LayoutRow {
  int w, h;
  double gameW, gameH;
  int rightLeft;
};

TEST(Form1, LayoutFollowsTheScreen) {
  for (LayoutRow row :
       {LayoutRow{1024, 768, 204.8, 128, 828}, LayoutRow{1280, 1024, 256, 1024 * 3 / 18.0, 1084},
        LayoutRow{1920, 1080, 384, 180, 1724}, LayoutRow{800, 600, 160, 100, 604}, LayoutRow{640, 480, 128, 80, 444}}) {
    SCOPED_TRACE(std::to_string(row.w) + "x" + std::to_string(row.h));
    test::Scene s(row.w, row.h);
    ASSERT_TRUE(s.started) << s.error;
    Form1& f = *s;
    EXPECT_EQ(f.ScreenWidthPx, row.w);
    EXPECT_EQ(f.WindowSurface.Width(), row.w);
    EXPECT_EQ(f.picASM.OuterRect(), (Rect{0, 0, 224, 179}));
    EXPECT_EQ(f.picC.OuterRect(), (Rect{0, 198, 224, 179}));
    EXPECT_EQ(f.picVB.OuterRect(), (Rect{0, 396, 224, 179}));
    EXPECT_DOUBLE_EQ(f.picGame.Top(), 594);
    EXPECT_DOUBLE_EQ(f.picGame.Width(), row.gameW);
    EXPECT_DOUBLE_EQ(f.picGame.Height(), row.gameH);
    EXPECT_EQ(f.picWatch.OuterRect(), (Rect{row.rightLeft, 0, 196, 388}));
    EXPECT_EQ(f.picCommand.OuterRect(), (Rect{row.rightLeft, 410, 196, 300}));
    // What lies past the screen is cut off, not moved.
    const Rect screen = f.Framebuffer.Bounds();
    if (row.h == 600) {
      EXPECT_EQ(f.picGame.OuterRect().Intersect(screen).h, 6);
      EXPECT_EQ(f.picCommand.OuterRect().Intersect(screen).h, 190);
    }
    if (row.h == 480) {
      EXPECT_TRUE(f.picGame.OuterRect().Intersect(screen).Empty());
      EXPECT_EQ(f.picVB.OuterRect().Intersect(screen).h, 84);
    }
  }
}

TEST(Form1, OutlineOnTheEdgeOfPicWatchLightsItsOutermostDrawablePixels) {
  test::Scene s(1024, 768);
  Form1& f = *s;
  const Color c = Rgb(0, 128, 0);
  f.picWatch.DrawRect({0, 0}, {193, 385}, c);
  const Rect outer = f.picWatch.OuterRect();
  EXPECT_EQ(test::CountPixels(f.Framebuffer, outer, c), 2 * 194 + 2 * 384);
  EXPECT_EQ(f.Framebuffer.Pixel(outer.x + 1, outer.y + 1), c);
  EXPECT_EQ(f.Framebuffer.Pixel(outer.x + 194, outer.y + 386), c);
  // The border outside it stays black.
  EXPECT_EQ(test::CountPixels(f.Framebuffer, {outer.x, outer.y, outer.w, 1}, c), 0);
  EXPECT_EQ(test::CountPixels(f.Framebuffer, {outer.Right() - 1, outer.y, 1, outer.h}, c), 0);
}

TEST(Form1, StartUpStopsAtTheFirstMissingFileInOrder) {
  test::TempDir dir;
  dir.Write("codeASM.txt", "a\r\n");
  dir.Write("codeC.txt", "c\r\n");
  test::Scene s(800, 600, nullptr, dir.Path().string());
  EXPECT_FALSE(s.started);
  const std::string vb = (dir.Path() / "codeVB.txt").string();
  EXPECT_EQ(s.error, "cannot open source file " + vb + ": No such file or directory");
  // The geometry was set and the first two files opened before the failure;
  // the message and the palette come only after all three.
  EXPECT_EQ(s->picWatch.OuterRect().x, 604);
  EXPECT_TRUE(s->AsmFile.IsOpen());
  EXPECT_TRUE(s->CFile.IsOpen());
  EXPECT_TRUE(s->MessageText.empty());
  EXPECT_EQ(s->GreenPalette[3], 0u);

  std::filesystem::create_directory(dir.Path() / "codeVB.txt");
  test::Scene d(800, 600, nullptr, dir.Path().string());
  EXPECT_EQ(d.error, "cannot open source file " + vb + ": is a directory");
}

TEST(Form1, StartUpSetsThePaletteAndStartsEveryTimer) {
  test::Scene s(1024, 768);
  ASSERT_TRUE(s.started);
  // The block colours as colour values: red + 256 green + 65536 blue.
  EXPECT_EQ(s->GreenPalette, (std::array<Color, 4>{FromColorValue(8192), FromColorValue(16384), FromColorValue(24576),
                                                   FromColorValue(32768)}));
  // Every timer runs from the start and first ticks one interval later:
  // Timer1 to Timer15, the streams' eight 15 + 6k ms apart.
  const std::array<std::int64_t, kTimerCount> starts = {10, 15, 21, 27, 33, 10, 57, 51, 45, 39, 50, 100, 10, 1000, 40};
  std::array<std::int64_t, kTimerCount> firstTicks{};
  for (std::int64_t t = s->NextDue(); t <= 1000; t = s->NextDue()) {
    s->RunUntil(t);
    for (int i = 0; i < kTimerCount; ++i)
      if (!firstTicks[i] && s->Timers.TicksRun(i + 1)) firstTicks[i] = t;
  }
  EXPECT_EQ(firstTicks, starts);
}

TEST(Form1, ClicksEndTheSceneOnlyOnTheWindowOrPicAsm) {
  for (Point p : {Point{10, 200}, Point{10, 400}, Point{10, 600}, Point{1800, 5}, Point{1800, 500}}) {
    test::Scene s;
    s->OnClick(p);
    EXPECT_FALSE(s->Ended()) << p.x << "," << p.y;
  }
  for (Point p : {Point{10, 10}, Point{223, 178}, Point{1000, 500}, Point{10, 185}}) {
    test::Scene s;
    s->OnClick(p);
    EXPECT_TRUE(s->Ended()) << p.x << "," << p.y;
  }
  test::Scene k;
  k->OnKeyDown();
  EXPECT_TRUE(k->Ended());
  EXPECT_TRUE(k->AsmFile.IsOpen());  // ending does not run CloseScene
  test::Scene c;
  c->OnCloseRequest();
  EXPECT_TRUE(c->Ended());
  EXPECT_FALSE(c->AsmFile.IsOpen());
  EXPECT_FALSE(c->VbFile.IsOpen());
}

}  // namespace
}  // namespace coderain
