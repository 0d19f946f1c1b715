#include "core/panels/blocks/build_up.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/panels/blocks/block_game.h"
#include "core/panels/blocks/watch_helpers.h"
#include "support/scene_rules.h"

namespace coderain::blocks_test {
namespace {

// Last column and row inside picWatch's border, as laid out.
constexpr int kLastX = 193;
constexpr int kLastY = 385;
constexpr int kAreaPixels = 194 * 386;
constexpr int kFramePixels = 2 * 194 + 2 * 386 - 4;

struct WatchScene {
  explicit WatchScene(std::uint64_t seed = 7)
      : scene(kScreenW, kScreenH, std::make_unique<SeededRandom>(seed), test::Texts()), f(*scene) {
    EXPECT_TRUE(scene.started) << scene.error;
  }
  // One tick of Timer14, called directly, with the damage list holding only
  // what it drew.
  void Tick() {
    f.Damage().Clear();
    BlockPanelTick(f.Blocks);
  }
  // Ticks until WatchPhase is `phase` (the next tick runs it).
  void TickTo(int phase) {
    for (int n = 0; f.State.WatchPhase != phase && n < 100000; ++n) Tick();
    ASSERT_EQ(f.State.WatchPhase, phase);
  }
  test::Scene scene;
  Form1& f;
};

int CountArea(Form1& f, Color c) { return CountWatch(f, 0, 0, kLastX, kLastY, c); }

// The frame from (0, 0) to (193, 385) is whole in `c`.
bool FrameIs(Form1& f, Color c) {
  return CountWatch(f, 0, 0, kLastX, 0, c) + CountWatch(f, 0, kLastY, kLastX, kLastY, c) +
             CountWatch(f, 0, 1, 0, kLastY - 1, c) + CountWatch(f, kLastX, 1, kLastX, kLastY - 1, c) ==
         kFramePixels;
}

// `n` pixels of `c` between the picWatch corners (x0, y0) and (x1, y1).
struct Count {
  int x0, y0, x1, y1;
  Color c;
  int n;
};

void ExpectCount(Form1& f, const Count& c) {
  EXPECT_EQ(CountWatch(f, c.x0, c.y0, c.x1, c.y1, c.c), c.n)
      << "(" << c.x0 << "," << c.y0 << ")-(" << c.x1 << "," << c.y1 << ")";
}

// The panel's pixels, its border included.
std::vector<Color> Snapshot(Form1& f) { return test::Snapshot(f.Framebuffer, f.picWatch.OuterRect()); }

// What the tick that runs a phase leaves in the panel.
struct PhaseCount {
  int phase;
  Count count;
};
const PhaseCount kBuildUp[] = {
    // The left edge, dim.
    {1, {0, 0, 0, kLastY, kWatchDim, 386}},
    {1, {0, 0, kLastX, kLastY, kBlack, kAreaPixels - 386}},
    // The left edge lit, the top edge dim (over the corner).
    {2, {0, 0, 0, 0, kWatchDim, 1}},
    {2, {0, 1, 0, kLastY, kWatchBright, 385}},
    {2, {0, 0, kLastX, 0, kWatchDim, 194}},
    {2, {0, 0, kLastX, kLastY, kBlack, kAreaPixels - 386 - 193}},
    // The top edge lit, the right edge dim; a line leaves out its end
    // point, so the bottom right corner stays dark.
    {3, {0, 0, kLastX - 1, 0, kWatchBright, 193}},
    {3, {kLastX, 0, kLastX, kLastY - 1, kWatchDim, 385}},
    {3, {kLastX, kLastY, kLastX, kLastY, kBlack, 1}},
    {3, {0, 0, kLastX, kLastY, kBlack, kAreaPixels - 386 - 193 - 384}},
    // The right edge mid, the bottom edge dim, the corner still dark.
    {4, {kLastX, 0, kLastX, kLastY - 1, kFrameGreen, 385}},
    {4, {0, kLastY, kLastX - 1, kLastY, kWatchDim, 193}},
    {4, {0, 0, 0, kLastY - 1, kWatchBright, 385}},
    {4, {kLastX, kLastY, kLastX, kLastY, kBlack, 1}},
    {4, {0, 0, kLastX, kLastY, kBlack, kAreaPixels - kFramePixels + 1}},
    // The sweep's first bar; its last lies on the frame's right edge, in
    // the frame's colour, and has left the interior dark.
    {10, {1, 1, 1, kLastY - 1, PanelDark, 384}},
    {10, {2, 1, 2, kLastY - 1, kFrameGreen, 384}},
    {201, {1, 1, kLastX - 1, kLastY - 1, PanelDark, 192 * 384}},
    // The grid's first tick: y = 16, y = 192, x = 16; its last: y = 192
    // again, y = 368, x = 192.
    {206, {1, 16, kLastX - 1, 16, kWatchGridLine, 192}},
    {206, {1, 192, kLastX - 1, 192, kWatchGridLine, 192}},
    {206, {16, 1, 16, kLastY - 1, kWatchGridLine, 384}},
    {206, {0, 0, kLastX, kLastY, kWatchGridLine, 192 + 192 + 384 - 2}},
    {217, {1, 368, kLastX - 1, 368, kWatchGridLine, 192}},
    {217, {192, 1, 192, kLastY - 1, kWatchGridLine, 384}},
};

// The colour the whole frame shows after a phase: it blinks mid and dim
// over phases 5 to 9 and stays whole through the sweep and the grid.
const std::pair<int, Color> kFrames[] = {{5, kFrameGreen},   {6, kWatchDim},     {7, kFrameGreen},
                                         {8, kWatchDim},     {9, kFrameGreen},   {10, kFrameGreen},
                                         {201, kFrameGreen}, {206, kFrameGreen}, {217, kFrameGreen}};

// One walk through phases 0 to 217: edges traced one per tick, the frame
// blinking five times, the sweep, a pause, then the grid a line of each kind
// per tick. Phase 0 and the pause draw nothing.
TEST(BuildUp, ThePanelIsBuiltUpPhaseByPhase) {
  WatchScene w;
  Form1& f = w.f;
  for (int phase = 0; phase < kFirstGamePhase; ++phase) {
    SCOPED_TRACE("phase " + std::to_string(phase));
    ASSERT_EQ(f.State.WatchPhase, phase);
    if (phase == 1)
      for (auto& column : f.State.BlockGrid)
        for (GridCell& cell : column) cell = {kTrue, 2};
    // Something of an old picture inside: the sweep covers it.
    if (phase == 10) f.picWatch.FillRect({20, 20}, {150, 300}, f.GreenPalette[2]);
    w.Tick();
    EXPECT_EQ(f.Damage().Empty(), phase == 0 || (phase >= 202 && phase <= 205));
    for (const PhaseCount& c : kBuildUp)
      if (c.phase == phase) ExpectCount(f, c.count);
    for (const auto& [p, colour] : kFrames) EXPECT_TRUE(p != phase || FrameIs(f, colour)) << "frame";
    EXPECT_TRUE(phase < 5 || phase > 9 || CountArea(f, kBlack) == kAreaPixels - kFramePixels) << "inside";
    if (phase >= 11 && phase <= 201) {
      ASSERT_EQ(WatchPixel(f, phase - 9, 200), PanelDark);
      ASSERT_EQ(WatchPixel(f, phase - 8, 200), kFrameGreen);
      ASSERT_EQ(WatchPixel(f, phase - 8, kLastY), kFrameGreen);
    }
    if (phase == 0) {
      // Any value below 1 takes the same rung.
      f.State.WatchPhase = -7;
      w.Tick();
      EXPECT_TRUE(f.Damage().Empty());
      EXPECT_EQ(f.State.WatchPhase, -6);
      f.State.WatchPhase = 1;
    }
    if (phase == 1) {
      // Nothing outside the left edge, the border included; a fresh grid.
      const Rect outer = f.picWatch.OuterRect();
      EXPECT_EQ(test::CountPixels(f.Framebuffer, outer, kBlack), outer.w * outer.h - 386);
      EXPECT_EQ(f.State.GameOver, 0);
      EXPECT_EQ(f.State.BlockGrid[12][24].ColorIndex, -1);
      EXPECT_EQ(f.State.BlockGrid[0][0].Filled, 0);
    }
  }
  ASSERT_EQ(f.State.WatchPhase, kFirstGamePhase);

  // The field of 12 x 24 cells: lines at every multiple of 16 up to x = 192
  // and y = 368; the row y = 384 under the last cells stays dark.
  for (int y = 1; y <= kLastY - 1; ++y)
    for (int x = 1; x <= kLastX - 1; ++x) {
      const bool line = x % 16 == 0 || (y % 16 == 0 && y <= 368);
      ASSERT_EQ(WatchPixel(f, x, y), line ? kWatchGridLine : PanelDark) << x << "," << y;
    }
}

TEST(BuildUp, TheSweepAndTheGridKeepTheirPlacesOnAWiderPanel) {
  WatchScene w;
  Form1& f = w.f;
  f.picWatch.Move(kScreenW - 260, 0, 260, 400);
  w.TickTo(kFirstGamePhase);
  // The frame follows the size read in each tick: (0, 0) to (257, 397). The
  // sweep stops at x = 193, the grid at x = 192; its lines run to the frame.
  for (const Count& c : {Count{0, 397, 257, 397, kFrameGreen, 258}, Count{257, 0, 257, 397, kFrameGreen, 398},
                         Count{193, 100, 193, 100, kFrameGreen, 1}, Count{194, 100, 194, 100, kBlack, 1},
                         Count{100, 396, 100, 396, PanelDark, 1}, Count{1, 368, 256, 368, kWatchGridLine, 256},
                         Count{192, 1, 192, 396, kWatchGridLine, 396}, Count{208, 100, 208, 100, kBlack, 1}})
    ExpectCount(f, c);
}

TEST(BuildUp, GameTicksCountOnAndAGameOverReplaysTheBuildUpOverTheOldPicture) {
  WatchScene w(11);
  Form1& f = w.f;
  w.TickTo(kFirstGamePhase);
  const std::vector<Color> builtUp = Snapshot(f);

  w.Tick();
  EXPECT_EQ(f.State.BlockFalling, -1);
  EXPECT_EQ(Drawn(f), Corners({Rect::FromCorners(16 * f.State.BlockColumn + 1, 1, 16 * f.State.BlockColumn + 15, 15)}));
  for (int phase = kFirstGamePhase + 1; f.State.GameOver == 0 && phase < 200000; ++phase) {
    ASSERT_EQ(f.State.WatchPhase, phase);
    w.Tick();
  }
  ASSERT_EQ(f.State.GameOver, -1);
  EXPECT_EQ(f.State.WatchPhase, 1);

  // Phase 1 empties the grid but not the picture; only the sweep removes it.
  const Point o = WatchOrigin(f);
  const auto interior = [&f, o] { return test::Snapshot(f.Framebuffer, {o.x + 1, o.y + 1, kLastX - 1, kLastY - 1}); };
  const std::vector<Color> lastGame = interior();
  EXPECT_LT(CountArea(f, PanelDark), 192 * 384 - 20 * 225);
  w.Tick();
  EXPECT_EQ(f.State.GameOver, 0);
  EXPECT_EQ(f.State.BlockGrid[f.State.BlockColumn][0].ColorIndex, -1);
  EXPECT_EQ(f.State.WatchPhase, 2);
  w.TickTo(10);
  EXPECT_EQ(interior(), lastGame);
  w.TickTo(kFirstGamePhase);
  EXPECT_EQ(Snapshot(f), builtUp);
}

// The waits before Timer14's ticks, with the phase each tick runs, on the
// first run and after a game over; the first tick comes after a second
// whichever phase it runs.
TEST(BuildUp, TheIntervalScheduleOnTheFirstRunAndAfterAGameOver) {
  for (const bool afterGameOver : {false, true}) {
    SCOPED_TRACE(afterGameOver ? "after a game over" : "first run");
    WatchScene w;
    Form1& f = w.f;
    if (afterGameOver) {
      // A field whose every column holds 23 blocks: the first tick's game
      // step spawns a block that cannot move, and the game is over.
      ResetGame(f.Blocks.game);
      for (int c = 0; c < 12; ++c)
        for (int r = 1; r <= 23; ++r) f.State.BlockGrid[c][r] = {kTrue, (c + r) % 4};
      f.State.WatchPhase = 4000;
    }
    std::int64_t last = 0;
    for (int i = 0; i < 232; ++i) {
      const std::int64_t due = f.Timers.DueTime(f.Blocks.timer.Id());
      ASSERT_EQ(f.State.WatchPhase, i == 0 && afterGameOver ? 4000 : i);
      ASSERT_EQ(due - last, i == 0 ? 1000 : test::WatchWait(i, afterGameOver)) << "tick " << i;
      f.RunUntil(due);
      last = due;
    }
  }
}

}  // namespace
}  // namespace coderain::blocks_test
