#include "core/rain/falling_streams.h"

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <initializer_list>
#include <memory>

#include "rain_checks.h"
#include "test_support.h"

namespace coderain {
namespace {

// Draws that pick digit 1 for the trail, 2 for the head and 3 for the wake,
// and, through ColumnDraw, grid column j.
constexpr double kTrail = 0.15, kHead = 0.25, kWake = 0.35;
using test::ColumnDraw;

// What CellContent reports for digit d in band b.
constexpr int Shows(int d, int b) { return 10 * b + d; }

// A stream's X, Y and OldX, to compare at once.
std::array<int, 3> Fields(const RainStream& s) { return {s.X, s.Y, s.OldX}; }

// A stream in a 1024 x 768 scene whose draws each test scripts.
class StepStream : public ::testing::Test {
 protected:
  StepStream() : scene(1024, 768, std::make_unique<ScriptedRandom>(std::deque<double>{})) {}
  void SetUp() override { ASSERT_TRUE(scene.started); }
  ScriptedRandom& Draws() { return static_cast<ScriptedRandom&>(*scene.random); }
  // One step with the draws of a step in the middle of a fall.
  void Step() {
    for (double r : {kTrail, kHead, kWake}) Draws().Push(r);
    coderain::StepStream(scene->Streams, s);
  }
  // One step whose advance restarts the stream in column j.
  void StepToColumn(int j) {
    for (double r : {kTrail, ColumnDraw(j), kHead, kWake}) Draws().Push(r);
    coderain::StepStream(scene->Streams, s);
  }
  // Checks what each cell {x, y, Shows(d, b)} shows.
  void ExpectCells(std::initializer_list<std::array<int, 3>> cells) {
    for (const auto& [x, y, shows] : cells) EXPECT_EQ(test::CellContent(*scene, x, y), shows) << x << "," << y;
  }
  // A pixel of the map, in picGame's drawing coordinates.
  Color Map(int x, int y) {
    const Rect area = scene->picGame.DrawArea();
    return scene->Framebuffer.Pixel(area.x + x, area.y + y);
  }
  test::Scene scene;
  RainStream s;
};

TEST_F(StepStream, FallsACellAStepAndRestartsAtTheTopOfANewColumnEvery44Steps) {
  Form1& f = *scene;
  const int T = f.WindowSurface.TextHeight("a");
  EXPECT_EQ(RestartDepth(f.WindowSurface), 768.0 + 2 * T);
  // With H = 768 the last head before a restart is at 774 for any T from 3
  // to 11, so a fall is 44 steps.
  ASSERT_TRUE(T >= 3 && T <= 11) << T;

  // A first column of 0 counts as none: the next step picks again and the
  // stream falls on from where it was.
  Draws().Push(ColumnDraw(0));
  Step();
  EXPECT_EQ(Fields(s), (std::array<int, 3>{0, 18, 0}));
  Draws().Push(ColumnDraw(20));
  Step();
  EXPECT_EQ(Fields(s), (std::array<int, 3>{300, 36, 0}));
  for (int k = 3; k <= 41; ++k) {
    Step();
    ASSERT_EQ(s.Y, 18 * k);
  }
  // Two white cells at the bottom, the trail above them.
  ExpectCells({{300, 738, Shows(2, 2)}, {300, 720, Shows(2, 2)}, {300, 702, Shows(1, 1)}});
  Step();
  Step();
  EXPECT_EQ(s.Y, 774);

  StepToColumn(40);
  EXPECT_EQ(Fields(s), (std::array<int, 3>{600, 0, 300}));
  ExpectCells({{600, 0, Shows(2, 2)}, {300, 0, Shows(3, 0)}});

  // Ten steps into the new fall the old column has darkened down to the
  // head's height, and the old trail below it is still mid green.
  for (int k = 1; k <= 10; ++k) Step();
  EXPECT_EQ(s.Y, 180);
  ExpectCells({{600, 180, Shows(2, 2)}, {600, 162, Shows(2, 2)}, {600, 144, Shows(1, 1)}, {600, 0, Shows(1, 1)}});
  ExpectCells({{300, 180, Shows(3, 0)}, {300, 198, Shows(1, 1)}});

  for (int k = 11; k <= 43; ++k) Step();
  EXPECT_EQ(s.Y, 774);
  StepToColumn(30);
  EXPECT_EQ(Fields(s), (std::array<int, 3>{450, 0, 600}));
  EXPECT_EQ(Draws().Left(), 0u);
}

TEST_F(StepStream, RestartIntoItsOwnColumnShowsADarkHead) {
  s = {300, 774, 150};
  StepToColumn(20);
  EXPECT_EQ(Fields(s), (std::array<int, 3>{300, 0, 300}));
  ExpectCells({{300, 0, Shows(3, 0)}});
  Step();
  ExpectCells({{300, 18, Shows(3, 0)}});
  Step();
  ExpectCells({{300, 0, Shows(1, 1)}});
  // On the map the erase box, drawn last, covers the head box.
  EXPECT_EQ(Map(61, 7), kBlack);
  EXPECT_EQ(Map(61, 4), kMapTrail);
}

TEST_F(StepStream, MapShowsHeadTrailAndEraseBoxesClippedToPicGame) {
  Form1& f = *scene;
  // picGame is 204.8 x 128 at 1024 x 768; its drawing area is 202 x 126.
  const Rect area = f.picGame.DrawArea();
  ASSERT_EQ(area, (Rect{1, 595, 202, 126}));
  const Color old = Rgb(1, 2, 3);
  f.picGame.FillRect({0, 0}, {201, 125}, old);
  const Bitmap before = f.Framebuffer;
  auto box = [&](int x, int y) { return Rect{area.x + x, area.y + y, 3, 3}; };

  // At a restart the head is on map row 0 and its trail box falls above the
  // panel: only the head and the erase box show.
  s = {300, 774, 150};
  StepToColumn(40);
  EXPECT_TRUE(test::AllOf(f.Framebuffer, box(120, 0), kMapHead));
  EXPECT_TRUE(test::AllOf(f.Framebuffer, box(60, 0), kMapErase));
  // Around picGame only the boxes' pixels change, nine a box.
  auto changes = [&] { return test::CountChanged(f.Framebuffer, before, {0, 580, 240, 150}); };
  EXPECT_EQ(changes(), 2 * 9);

  Step();
  EXPECT_TRUE(test::AllOf(f.Framebuffer, box(120, 3), kMapHead));
  EXPECT_TRUE(test::AllOf(f.Framebuffer, box(120, 0), kMapTrail));
  EXPECT_TRUE(test::AllOf(f.Framebuffer, box(60, 3), kMapErase));
  EXPECT_EQ(changes(), 4 * 9);

  // Grid column 68 maps to x 204 to 206, past the drawing area: nothing.
  s = {1020, 18, 1020};
  Step();
  EXPECT_EQ(changes(), 4 * 9);
  // Grid row 42 maps to y 126 to 128: only its trail box shows.
  s = {300, 738, 1020};
  Step();
  EXPECT_TRUE(test::AllOf(f.Framebuffer, box(60, 123), kMapTrail));
  EXPECT_EQ(changes(), 5 * 9);
}

TEST(Streams, EveryCellOutsideThePanelsIsBlackOrOneCellOfTheStrip) {
  test::Scene scene(1024, 768, std::make_unique<SeededRandom>(11));
  ASSERT_TRUE(scene.started);
  Form1& f = *scene;
  for (int t = 10; t <= 400; t += 13) {
    f.RunUntil(t);
    for (int y = 0; y < 768; y += 18) {
      for (int x = 0; x < 1024; x += 15) {
        if (!test::OutsidePanels(f, x, y)) continue;
        ASSERT_GE(test::CellContent(f, x, y), -1) << "cell at " << x << "," << y << " at " << t << " ms";
      }
    }
  }
  // Every stream has fallen and shows on the map.
  const Rect area = f.picGame.DrawArea();
  for (const RainStream& s : f.State.Streams) EXPECT_GT(s.Y, 0);
  EXPECT_GE(test::CountPixels(f.Framebuffer, area, kMapHead), 8 * 9);
}

}  // namespace
}  // namespace coderain
