#include "core/panels/blocks/block_game.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <memory>
#include <tuple>

#include "core/panels/blocks/watch_helpers.h"

namespace coderain::blocks_test {
namespace {

// A scene whose random source hands out the given values first, its grid
// reset.
struct GameScene {
  explicit GameScene(std::deque<double> values) {
    auto source = std::make_unique<ScriptedRandom>(std::move(values));
    random = source.get();
    scene = std::make_unique<test::Scene>(kScreenW, kScreenH, std::move(source), test::Texts());
    EXPECT_TRUE(scene->started) << scene->error;
    if (scene->started) ResetGame(f().Blocks.game);
  }
  Form1& f() { return **scene; }
  SceneState& s() { return scene->form->State; }
  // One step, with the damage list holding only what it drew.
  void Step() {
    f().Damage().Clear();
    GameStep(f().Blocks.game);
  }
  // Steps until the block in play has landed; returns the number of steps.
  int StepToLanding() {
    int n = 0;
    do {
      Step();
      ++n;
    } while (s().BlockFalling != kFalse && n < 100);
    return n;
  }
  // Cell (c, r) is drawn in `color`: its box of 15 x 15 pixels.
  bool Draws(int c, int r, Color color) { return BoxIs(f(), 16 * c + 1, 16 * r + 1, 16 * c + 15, 16 * r + 15, color); }
  // Cell (c, r) holds colour k and shows it, or is empty (k < 0) and dark.
  bool Shows(int c, int r, int k) {
    return CellIs(s().BlockGrid[c][r], k) && Draws(c, r, k < 0 ? PanelDark : f().GreenPalette[k]);
  }
  // The block in play: falling, column, row and colour.
  std::tuple<int, int, int, int> Block() { return {s().BlockFalling, s().BlockColumn, s().BlockRow, s().BlockColor}; }
  static bool CellIs(const GridCell& cell, int k) {
    return k < 0 ? cell.Filled == 0 && cell.ColorIndex == -1 : cell.Filled == -1 && cell.ColorIndex == k;
  }
  ScriptedRandom* random = nullptr;
  std::unique_ptr<test::Scene> scene;
};

// Draws that pick column c and colour k.
double ColumnDraw(int c) { return (c + 0.5) / 12.0; }
double ColorDraw(int k) { return (k + 0.5) / 3.99; }

std::string Box(int c, int r) { return Corners({Rect::FromCorners(16 * c + 1, 16 * r + 1, 16 * c + 15, 16 * r + 15)}); }

TEST(BlockGame, WorkedSequenceOfAFloorBlockAndTheBlockThatMatchesIt) {
  GameScene g({0.45, 0.60, 0.45, 0.60});
  Form1& f = g.f();
  SceneState& s = g.s();

  // Step 1: the spawn draws the block in row 0 at once.
  g.Step();
  EXPECT_EQ(g.Block(), std::make_tuple(-1, 5, 0, 2));
  EXPECT_EQ(Drawn(f), "(81,1)-(95,15) ");
  EXPECT_TRUE(BoxIs(f, 81, 1, 95, 15, Rgb(0, 96, 0)));

  // Steps 2 to 23: erased from a row, drawn in the next.
  for (int r = 1; r <= 22; ++r) {
    g.Step();
    ASSERT_EQ(g.Block(), std::make_tuple(-1, 5, r, 2));
    ASSERT_EQ(Drawn(f), Box(5, r - 1) + Box(5, r)) << "step " << r + 1;
    ASSERT_TRUE(g.Draws(5, r - 1, PanelDark));
    ASSERT_TRUE(g.Draws(5, r, f.GreenPalette[2]));
  }

  // Step 24: the floor; no colour below it, so the block stays.
  g.Step();
  EXPECT_EQ(Drawn(f), "(81,353)-(95,367) (81,369)-(95,383) ");
  EXPECT_TRUE(g.Draws(5, 22, PanelDark));
  EXPECT_TRUE(g.Shows(5, 23, 2));
  EXPECT_TRUE(GameScene::CellIs(s.BlockGrid[5][24], -1));
  EXPECT_EQ(g.Block(), std::make_tuple(0, 5, 23, 2));
  EXPECT_EQ(s.GameOver, 0);

  // Step 25: the same column and colour again.
  g.Step();
  EXPECT_EQ(Drawn(f), Box(5, 0));
  EXPECT_TRUE(g.Draws(5, 0, f.GreenPalette[2]));
  EXPECT_EQ(g.Block(), std::make_tuple(-1, 5, 0, 2));
  EXPECT_EQ(g.random->Left(), 0u);

  for (int step = 26; step <= 46; ++step) g.Step();
  EXPECT_EQ(g.Block(), std::make_tuple(-1, 5, 21, 2));

  // Step 47: it lands on the block of its colour; the pair goes, and the
  // landed block is never shown in its landing cell.
  g.Step();
  EXPECT_EQ(Drawn(f), Box(5, 21) + Box(5, 22) + Box(5, 23));
  EXPECT_EQ(g.Block(), std::make_tuple(0, 5, 22, 2));
  EXPECT_EQ(s.GameOver, 0);
  for (int r = 21; r <= 23; ++r) EXPECT_TRUE(g.Draws(5, r, PanelDark)) << "row " << r;
  for (int r = 0; r <= 24; ++r) EXPECT_TRUE(GameScene::CellIs(s.BlockGrid[5][r], -1)) << "row " << r;
}

TEST(BlockGame, ABlockStaysOnAnotherColourAndAMatchTakesOnlyThePair) {
  const int c = 3;
  GameScene g({ColumnDraw(c), ColorDraw(1), ColumnDraw(c), ColorDraw(0), ColumnDraw(c), ColorDraw(0), ColumnDraw(c),
               ColorDraw(3)});
  SceneState& s = g.s();

  EXPECT_EQ(g.StepToLanding(), 24);  // on the floor, colour 1
  EXPECT_TRUE(g.Shows(c, 23, 1));

  // Colour 0 on colour 1: it stays, one row up.
  EXPECT_EQ(g.StepToLanding(), 23);
  EXPECT_EQ(s.BlockRow, 22);
  EXPECT_EQ(Drawn(g.f()), Box(c, 21) + Box(c, 22));
  EXPECT_TRUE(g.Shows(c, 22, 0));
  EXPECT_TRUE(g.Shows(c, 23, 1));

  // Colour 0 on colour 0: those two vanish, the floor block stays.
  EXPECT_EQ(g.StepToLanding(), 22);
  EXPECT_EQ(s.BlockRow, 21);
  EXPECT_EQ(Drawn(g.f()), Box(c, 20) + Box(c, 21) + Box(c, 22));
  EXPECT_TRUE(g.Shows(c, 21, -1));
  EXPECT_TRUE(g.Shows(c, 22, -1));
  EXPECT_TRUE(g.Shows(c, 23, 1));

  // The next block falls one row further than the vanished one had stopped.
  EXPECT_EQ(g.StepToLanding(), 23);
  EXPECT_EQ(s.BlockRow, 22);
  EXPECT_TRUE(g.Shows(c, 22, 3));
  EXPECT_EQ(s.GameOver, 0);
  // Nothing outside the column was touched.
  EXPECT_EQ(CountWatch(g.f(), 0, 0, 48, 385, kBlack) + CountWatch(g.f(), 64, 0, 193, 385, kBlack), (49 + 130) * 386);
}

// Blocks fall into column 7, which holds blocks of colour 0 from row `top`
// to the floor under one of `topColour`.
TEST(BlockGame, OnlyABlockStoppingWhereItSpawnedEndsTheGameMatchOrNot) {
  constexpr int c = 7;
  const auto fallInto = [](int top, int topColour, std::deque<double> draws) {
    auto g = std::make_unique<GameScene>(std::move(draws));
    for (int r = top; r <= 23; ++r) g->s().BlockGrid[c][r] = {kTrue, r == top ? topColour : 0};
    g->Step();
    return g;
  };
  // A column of 23 and a block of the top block's colour: both vanish and
  // the game is over all the same.
  auto g = fallInto(1, 2, {ColumnDraw(c), ColorDraw(2)});
  EXPECT_EQ(g->s().GameOver, -1);
  EXPECT_EQ(g->Block(), std::make_tuple(0, c, 0, 2));
  EXPECT_EQ(Drawn(g->f()), Box(c, 0) + Box(c, 1));
  EXPECT_TRUE(g->Shows(c, 0, -1));
  EXPECT_TRUE(g->Shows(c, 1, -1));
  EXPECT_TRUE(GameScene::CellIs(g->s().BlockGrid[c][2], 0));
  // The same column and a block of another colour: it stays in row 0.
  g = fallInto(1, 2, {ColumnDraw(c), ColorDraw(3)});
  EXPECT_EQ(g->s().GameOver, -1);
  EXPECT_EQ(Drawn(g->f()), Box(c, 0));
  EXPECT_TRUE(g->Shows(c, 0, 3));
  EXPECT_TRUE(GameScene::CellIs(g->s().BlockGrid[c][1], 2));
  // A column of 22: the block moves once and lands in row 1, which does not
  // end the game; the column now holds 23, and the next block ends it.
  g = fallInto(2, 0, {ColumnDraw(c), ColorDraw(3), ColumnDraw(c), ColorDraw(1)});
  EXPECT_EQ(g->StepToLanding(), 1);
  EXPECT_EQ(g->s().BlockRow, 1);
  EXPECT_EQ(g->s().GameOver, 0);
  g->Step();
  EXPECT_EQ(g->s().GameOver, -1);
}

TEST(BlockGame, ResetGameEmptiesEveryCellAndLeavesTheBlockAndThePanelAlone) {
  GameScene g({});
  SceneState& s = g.s();
  for (auto& column : s.BlockGrid)
    for (GridCell& cell : column) cell = {kTrue, 3};
  s.GameOver = -1;
  s.BlockFalling = kTrue;
  s.BlockColumn = 4;
  s.BlockRow = 9;
  s.BlockColor = 1;
  g.f().Damage().Clear();
  ResetGame(g.f().Blocks.game);
  for (int c = 0; c < kGridColumns; ++c)
    for (int r = 0; r < kGridRows; ++r) ASSERT_TRUE(GameScene::CellIs(s.BlockGrid[c][r], -1)) << c << "," << r;
  EXPECT_EQ(s.GameOver, 0);
  EXPECT_EQ(g.Block(), std::make_tuple(-1, 4, 9, 1));
  EXPECT_TRUE(g.f().Damage().Empty());
}

TEST(BlockGame, DrawsAtTheEndsOfTheirRangesGiveColumns0And11AndColours0To3) {
  const double justBelowOne = std::nextafter(1.0, 0.0);
  // floor(r x 3.99): 0.2506 and 0.75 would give 1 and 3 with a multiplier of 4.
  GameScene g({0.0, 0.0, justBelowOne, justBelowOne, 0.5, 0.2506, 0.5, 0.75, 0.5, 0.2507});
  SceneState& s = g.s();
  const int expected[5][2] = {{0, 0}, {11, 3}, {6, 0}, {6, 2}, {6, 1}};
  for (const auto& e : expected) {
    s.BlockFalling = kFalse;
    g.Step();
    EXPECT_EQ(s.BlockColumn, e[0]);
    EXPECT_EQ(s.BlockColor, e[1]);
  }
  EXPECT_TRUE(g.Draws(11, 0, g.f().GreenPalette[3]));
}

}  // namespace
}  // namespace coderain::blocks_test
