#include "core/panels/blocks/build_up.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/panels/blocks/block_game.h"
#include "core/panels/blocks/watch_helpers.h"

namespace coderain::blocks_test {
namespace {

// Last column and row inside picWatch's border, as laid out.
constexpr int kLastX = 193;
constexpr int kLastY = 385;
constexpr int kAreaPixels = 194 * 386;
constexpr int kFramePixels = 2 * 194 + 2 * 386 - 4;

struct WatchScene {
  explicit WatchScene(std::uint64_t seed = 7)
      : scene(kScreenW, kScreenH, std::make_unique<SeededRandom>(seed), test::Texts()), f(*scene) {}
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

// The panel's pixels, its border included.
std::vector<Color> Snapshot(Form1& f) { return test::Snapshot(f.Framebuffer, f.picWatch.OuterRect()); }

TEST(BuildUp, FirstTickDrawsNothing) {
  WatchScene w;
  ASSERT_TRUE(w.scene.started) << w.scene.error;
  w.Tick();
  EXPECT_TRUE(w.f.Damage().Empty());
  EXPECT_EQ(w.f.State.WatchPhase, 1);
  // Any value below 1 takes the same row.
  w.f.State.WatchPhase = -7;
  w.Tick();
  EXPECT_TRUE(w.f.Damage().Empty());
  EXPECT_EQ(w.f.State.WatchPhase, -6);
}

TEST(BuildUp, EdgesAreTracedOnePerTickThenTheFrameBlinksFiveTimes) {
  WatchScene w;
  ASSERT_TRUE(w.scene.started) << w.scene.error;
  Form1& f = w.f;
  w.Tick();  // phase 0
  for (auto& column : f.State.BlockGrid)
    for (GridCell& cell : column) cell = {kTrue, 2};

  // Phase 1: the left edge, dim, and a fresh grid.
  w.Tick();
  EXPECT_EQ(CountWatch(f, 0, 0, 0, kLastY, kWatchDim), 386);
  EXPECT_EQ(CountArea(f, kBlack), kAreaPixels - 386);
  const Rect outer = f.picWatch.OuterRect();
  EXPECT_EQ(test::CountPixels(f.Framebuffer, outer, kBlack), outer.w * outer.h - 386);
  EXPECT_EQ(f.State.GameOver, 0);
  EXPECT_EQ(f.State.BlockGrid[12][24].ColorIndex, -1);
  EXPECT_EQ(f.State.BlockGrid[0][0].Filled, 0);
  EXPECT_EQ(f.State.WatchPhase, 2);

  // Phase 2: the left edge lit, the top edge dim (over the corner).
  w.Tick();
  EXPECT_EQ(WatchPixel(f, 0, 0), kWatchDim);
  EXPECT_EQ(CountWatch(f, 0, 1, 0, kLastY, kWatchBright), 385);
  EXPECT_EQ(CountWatch(f, 0, 0, kLastX, 0, kWatchDim), 194);
  EXPECT_EQ(CountArea(f, kBlack), kAreaPixels - 386 - 193);

  // Phase 3: the top edge lit, the right edge dim; a line leaves out its
  // end point, so the bottom right corner stays dark.
  w.Tick();
  EXPECT_EQ(CountWatch(f, 0, 0, kLastX - 1, 0, kWatchBright), 193);
  EXPECT_EQ(CountWatch(f, kLastX, 0, kLastX, kLastY - 1, kWatchDim), 385);
  EXPECT_EQ(WatchPixel(f, kLastX, kLastY), kBlack);
  EXPECT_EQ(CountArea(f, kBlack), kAreaPixels - 386 - 193 - 384);

  // Phase 4: the right edge mid, the bottom edge dim, the corner still dark.
  w.Tick();
  EXPECT_EQ(CountWatch(f, kLastX, 0, kLastX, kLastY - 1, kFrameGreen), 385);
  EXPECT_EQ(CountWatch(f, 0, kLastY, kLastX - 1, kLastY, kWatchDim), 193);
  EXPECT_EQ(CountWatch(f, 0, 0, 0, kLastY - 1, kWatchBright), 385);
  EXPECT_EQ(WatchPixel(f, kLastX, kLastY), kBlack);
  EXPECT_EQ(CountArea(f, kBlack), kAreaPixels - kFramePixels + 1);

  // Phases 5 to 9: mid, dim, mid, dim, mid.
  const Color blink[] = {kFrameGreen, kWatchDim, kFrameGreen, kWatchDim, kFrameGreen};
  for (int i = 0; i < 5; ++i) {
    w.Tick();
    EXPECT_TRUE(FrameIs(f, blink[i])) << "phase " << 5 + i;
    EXPECT_EQ(CountArea(f, kBlack), kAreaPixels - kFramePixels) << "phase " << 5 + i;
  }
  EXPECT_EQ(f.State.WatchPhase, 10);
}

TEST(BuildUp, TheSweepLeavesTheInteriorDarkAndTheFrameWhole) {
  WatchScene w;
  ASSERT_TRUE(w.scene.started) << w.scene.error;
  Form1& f = w.f;
  w.TickTo(10);
  // Something of an old picture inside: the sweep covers it.
  f.picWatch.FillRect({20, 20}, {150, 300}, f.GreenPalette[2]);

  w.Tick();  // phase 10
  EXPECT_EQ(CountWatch(f, 1, 1, 1, kLastY - 1, PanelDark), 384);
  EXPECT_EQ(CountWatch(f, 2, 1, 2, kLastY - 1, kFrameGreen), 384);
  EXPECT_TRUE(FrameIs(f, kFrameGreen));

  for (int p = 11; p <= 201; ++p) {
    w.Tick();
    ASSERT_EQ(WatchPixel(f, p - 9, 200), PanelDark) << "phase " << p;
    ASSERT_EQ(WatchPixel(f, p - 8, 200), kFrameGreen) << "phase " << p;
    ASSERT_EQ(WatchPixel(f, p - 8, kLastY), kFrameGreen) << "phase " << p;
  }
  // The last bar lies on the frame's right edge, in the frame's colour.
  EXPECT_EQ(CountWatch(f, 1, 1, kLastX - 1, kLastY - 1, PanelDark), 192 * 384);
  EXPECT_TRUE(FrameIs(f, kFrameGreen));
  EXPECT_EQ(f.State.WatchPhase, 202);
}

TEST(BuildUp, APauseThenTheGridOneLineOfEachKindPerTick) {
  WatchScene w;
  ASSERT_TRUE(w.scene.started) << w.scene.error;
  Form1& f = w.f;
  w.TickTo(202);
  for (int p = 202; p <= 205; ++p) {
    w.Tick();
    EXPECT_TRUE(f.Damage().Empty()) << "phase " << p;
  }

  w.Tick();  // phase 206: y = 16, y = 192, x = 16
  EXPECT_EQ(CountWatch(f, 1, 16, kLastX - 1, 16, kWatchGridLine), 192);
  EXPECT_EQ(CountWatch(f, 1, 192, kLastX - 1, 192, kWatchGridLine), 192);
  EXPECT_EQ(CountWatch(f, 16, 1, 16, kLastY - 1, kWatchGridLine), 384);
  EXPECT_EQ(CountArea(f, kWatchGridLine), 192 + 192 + 384 - 2);
  EXPECT_TRUE(FrameIs(f, kFrameGreen));

  for (int p = 207; p <= 216; ++p) w.Tick();
  w.Tick();  // phase 217: y = 192 again, y = 368, x = 192
  EXPECT_EQ(CountWatch(f, 1, 368, kLastX - 1, 368, kWatchGridLine), 192);
  EXPECT_EQ(CountWatch(f, 192, 1, 192, kLastY - 1, kWatchGridLine), 384);
  EXPECT_TRUE(FrameIs(f, kFrameGreen));
  EXPECT_EQ(f.State.WatchPhase, 218);

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
  ASSERT_TRUE(w.scene.started) << w.scene.error;
  Form1& f = w.f;
  f.picWatch.Move(kScreenW - 260, 0, 260, 400);
  w.TickTo(218);
  // The frame follows the size read in each tick: (0, 0) to (257, 397).
  EXPECT_EQ(CountWatch(f, 0, 397, 257, 397, kFrameGreen), 258);
  EXPECT_EQ(CountWatch(f, 257, 0, 257, 397, kFrameGreen), 398);
  // The sweep stops at x = 193, the grid at x = 192; its lines run to the frame.
  EXPECT_EQ(WatchPixel(f, 193, 100), kFrameGreen);
  EXPECT_EQ(WatchPixel(f, 194, 100), kBlack);
  EXPECT_EQ(WatchPixel(f, 100, 396), PanelDark);
  EXPECT_EQ(CountWatch(f, 1, 368, 256, 368, kWatchGridLine), 256);
  EXPECT_EQ(CountWatch(f, 192, 1, 192, 396, kWatchGridLine), 396);
  EXPECT_EQ(WatchPixel(f, 208, 100), kBlack);
}

TEST(BuildUp, GameTicksCountOnAndAGameOverReplaysTheBuildUpOverTheOldPicture) {
  WatchScene w(11);
  ASSERT_TRUE(w.scene.started) << w.scene.error;
  Form1& f = w.f;
  w.TickTo(218);
  const std::vector<Color> builtUp = Snapshot(f);

  w.Tick();
  EXPECT_EQ(f.State.BlockFalling, -1);
  EXPECT_EQ(Drawn(f), Corners({Rect::FromCorners(16 * f.State.BlockColumn + 1, 1, 16 * f.State.BlockColumn + 15, 15)}));
  int phase = 219;
  while (f.State.GameOver == 0 && phase < 200000) {
    ASSERT_EQ(f.State.WatchPhase, phase);
    w.Tick();
    ++phase;
  }
  ASSERT_EQ(f.State.GameOver, -1);
  EXPECT_EQ(f.State.WatchPhase, 1);

  // Phase 1 empties the grid but not the picture; only the sweep removes it.
  auto interior = [&f] {
    std::vector<Color> pixels;
    for (int y = 1; y < kLastY; ++y)
      for (int x = 1; x < kLastX; ++x) pixels.push_back(WatchPixel(f, x, y));
    return pixels;
  };
  const std::vector<Color> lastGame = interior();
  EXPECT_LT(CountArea(f, PanelDark), 192 * 384 - 20 * 225);
  w.Tick();
  EXPECT_EQ(f.State.GameOver, 0);
  EXPECT_EQ(f.State.BlockGrid[f.State.BlockColumn][0].ColorIndex, -1);
  EXPECT_EQ(f.State.WatchPhase, 2);
  w.TickTo(10);
  EXPECT_EQ(interior(), lastGame);
  w.TickTo(218);
  EXPECT_EQ(Snapshot(f), builtUp);
}

// The interval is the wait before a tick; `phase` is the phase that tick runs.
struct Wait {
  int phase;
  std::int64_t ms;
};

// Runs the whole scene on virtual time and records Timer14's ticks.
std::vector<Wait> RecordWaits(Form1& f, int ticks) {
  std::vector<Wait> waits;
  std::int64_t last = 0;
  for (int i = 0; i < ticks; ++i) {
    const std::int64_t due = f.Timers.DueTime(f.Blocks.timer.Id());
    const int phase = f.State.WatchPhase;
    f.RunUntil(due);
    waits.push_back({phase, due - last});
    last = due;
  }
  return waits;
}

TEST(BuildUp, TheIntervalScheduleOnTheFirstRunAndAfterAGameOver) {
  {
    WatchScene w;
    ASSERT_TRUE(w.scene.started) << w.scene.error;
    const std::vector<Wait> waits = RecordWaits(w.f, 231);
    for (int i = 0; i < 231; ++i) {
      ASSERT_EQ(waits[i].phase, i);
      ASSERT_EQ(waits[i].ms, test::WatchWait(i, false)) << "phase " << i;
    }
  }
  {
    // A field whose every column holds 23 blocks: the first tick's game
    // step spawns a block that cannot move, and the game is over.
    WatchScene w;
    ASSERT_TRUE(w.scene.started) << w.scene.error;
    SceneState& s = w.f.State;
    ResetGame(w.f.Blocks.game);
    for (int c = 0; c < 12; ++c)
      for (int r = 1; r <= 23; ++r) s.BlockGrid[c][r] = {kTrue, (c + r) % 4};
    s.WatchPhase = 4000;
    const std::vector<Wait> waits = RecordWaits(w.f, 232);
    EXPECT_EQ(waits[0].phase, 4000);
    EXPECT_EQ(waits[0].ms, 1000);
    for (int i = 1; i < 232; ++i) {
      ASSERT_EQ(waits[i].phase, i);
      ASSERT_EQ(waits[i].ms, test::WatchWait(i, true)) << "phase " << i;
    }
  }
}

}  // namespace
}  // namespace coderain::blocks_test
