#include "core/panels/blocks/block_game.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <memory>

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
  ScriptedRandom* random = nullptr;
  std::unique_ptr<test::Scene> scene;
};

// Draws that pick column c and colour k.
double ColumnDraw(int c) { return (c + 0.5) / 12.0; }
double ColorDraw(int k) { return (k + 0.5) / 3.99; }

std::string Box(int c, int r) { return Corners({Rect::FromCorners(16 * c + 1, 16 * r + 1, 16 * c + 15, 16 * r + 15)}); }

bool CellIs(const GridCell& cell, int colorIndex) {
  return colorIndex < 0 ? cell.Filled == 0 && cell.ColorIndex == -1
                        : cell.Filled == -1 && cell.ColorIndex == colorIndex;
}

TEST(BlockGame, WorkedSequenceOfAFloorBlockAndTheBlockThatMatchesIt) {
  GameScene g({0.45, 0.60, 0.45, 0.60});
  ASSERT_TRUE(g.scene->started) << g.scene->error;
  Form1& f = g.f();
  SceneState& s = g.s();
  const Color green = Rgb(0, 96, 0);

  // Step 1: the spawn draws the block in row 0 at once.
  g.Step();
  EXPECT_EQ(s.BlockFalling, -1);
  EXPECT_EQ(s.BlockColumn, 5);
  EXPECT_EQ(s.BlockRow, 0);
  EXPECT_EQ(s.BlockColor, 2);
  EXPECT_EQ(Drawn(f), "(81,1)-(95,15) ");
  EXPECT_TRUE(BoxIs(f, 81, 1, 95, 15, green));

  // Step 2: erased from row 0, drawn in row 1.
  g.Step();
  EXPECT_EQ(s.BlockRow, 1);
  EXPECT_EQ(Drawn(f), "(81,1)-(95,15) (81,17)-(95,31) ");
  EXPECT_TRUE(BoxIs(f, 81, 1, 95, 15, PanelDark));
  EXPECT_TRUE(BoxIs(f, 81, 17, 95, 31, green));

  // Steps 3 to 23: one row per step.
  for (int step = 3; step <= 23; ++step) {
    g.Step();
    const int r = step - 1;
    ASSERT_EQ(s.BlockRow, r);
    ASSERT_EQ(s.BlockFalling, -1);
    ASSERT_EQ(Drawn(f), Box(5, r - 1) + Box(5, r)) << "step " << step;
    ASSERT_TRUE(BoxIs(f, 81, 16 * (r - 1) + 1, 95, 16 * (r - 1) + 15, PanelDark));
    ASSERT_TRUE(BoxIs(f, 81, 16 * r + 1, 95, 16 * r + 15, green));
  }

  // Step 24: the floor; no colour below it, so the block stays.
  g.Step();
  EXPECT_EQ(Drawn(f), "(81,353)-(95,367) (81,369)-(95,383) ");
  EXPECT_TRUE(BoxIs(f, 81, 353, 95, 367, PanelDark));
  EXPECT_TRUE(BoxIs(f, 81, 369, 95, 383, green));
  EXPECT_EQ(s.BlockFalling, 0);
  EXPECT_EQ(s.BlockRow, 23);
  EXPECT_EQ(s.GameOver, 0);
  EXPECT_TRUE(CellIs(s.BlockGrid[5][23], 2));
  EXPECT_TRUE(CellIs(s.BlockGrid[5][24], -1));

  // Step 25: the same column and colour again.
  g.Step();
  EXPECT_EQ(Drawn(f), "(81,1)-(95,15) ");
  EXPECT_TRUE(BoxIs(f, 81, 1, 95, 15, green));
  EXPECT_EQ(s.BlockColumn, 5);
  EXPECT_EQ(s.BlockColor, 2);
  EXPECT_EQ(g.random->Left(), 0u);

  for (int step = 26; step <= 46; ++step) g.Step();
  EXPECT_EQ(s.BlockRow, 21);
  EXPECT_EQ(s.BlockFalling, -1);

  // Step 47: it lands on the block of its colour; the pair goes, and the
  // landed block is never shown in its landing cell.
  g.Step();
  EXPECT_EQ(Drawn(f), "(81,337)-(95,351) (81,353)-(95,367) (81,369)-(95,383) ");
  EXPECT_TRUE(BoxIs(f, 81, 337, 95, 351, PanelDark));
  EXPECT_TRUE(BoxIs(f, 81, 353, 95, 367, PanelDark));
  EXPECT_TRUE(BoxIs(f, 81, 369, 95, 383, PanelDark));
  EXPECT_EQ(s.BlockFalling, 0);
  EXPECT_EQ(s.GameOver, 0);
  for (int r = 0; r <= 24; ++r) EXPECT_TRUE(CellIs(s.BlockGrid[5][r], -1)) << "row " << r;
}

TEST(BlockGame, ABlockStaysOnAnotherColourAndAMatchTakesOnlyThePair) {
  const int c = 3;
  GameScene g({ColumnDraw(c), ColorDraw(1), ColumnDraw(c), ColorDraw(0), ColumnDraw(c), ColorDraw(0), ColumnDraw(c),
               ColorDraw(3)});
  ASSERT_TRUE(g.scene->started) << g.scene->error;
  Form1& f = g.f();
  SceneState& s = g.s();

  EXPECT_EQ(g.StepToLanding(), 24);  // on the floor, colour 1
  EXPECT_TRUE(BoxIs(f, 49, 369, 63, 383, f.GreenPalette[1]));

  // Colour 0 on colour 1: it stays, one row up.
  EXPECT_EQ(g.StepToLanding(), 23);
  EXPECT_EQ(s.BlockRow, 22);
  EXPECT_TRUE(CellIs(s.BlockGrid[c][22], 0));
  EXPECT_TRUE(CellIs(s.BlockGrid[c][23], 1));
  EXPECT_EQ(Drawn(f), Box(c, 21) + Box(c, 22));
  EXPECT_TRUE(BoxIs(f, 49, 353, 63, 367, f.GreenPalette[0]));
  EXPECT_TRUE(BoxIs(f, 49, 369, 63, 383, f.GreenPalette[1]));

  // Colour 0 on colour 0: those two vanish, the floor block stays.
  EXPECT_EQ(g.StepToLanding(), 22);
  EXPECT_EQ(s.BlockRow, 21);
  EXPECT_EQ(Drawn(f), Box(c, 20) + Box(c, 21) + Box(c, 22));
  EXPECT_TRUE(CellIs(s.BlockGrid[c][21], -1));
  EXPECT_TRUE(CellIs(s.BlockGrid[c][22], -1));
  EXPECT_TRUE(CellIs(s.BlockGrid[c][23], 1));
  EXPECT_TRUE(BoxIs(f, 49, 337, 63, 351, PanelDark));
  EXPECT_TRUE(BoxIs(f, 49, 353, 63, 367, PanelDark));
  EXPECT_TRUE(BoxIs(f, 49, 369, 63, 383, f.GreenPalette[1]));

  // The next block falls one row further than the vanished one had stopped.
  EXPECT_EQ(g.StepToLanding(), 23);
  EXPECT_EQ(s.BlockRow, 22);
  EXPECT_TRUE(CellIs(s.BlockGrid[c][22], 3));
  EXPECT_TRUE(BoxIs(f, 49, 353, 63, 367, f.GreenPalette[3]));
  EXPECT_EQ(s.GameOver, 0);
  // Nothing outside the column was touched.
  EXPECT_EQ(CountWatch(f, 0, 0, 48, 385, kBlack) + CountWatch(f, 64, 0, 193, 385, kBlack), (49 + 130) * 386);
}

// Column c holds blocks in rows `top` to 23, every one of colour `colour`
// except the top one, which has `topColour`.
void FillColumn(SceneState& s, int c, int top, int colour, int topColour) {
  for (int r = top; r <= 23; ++r) s.BlockGrid[c][r] = {kTrue, r == top ? topColour : colour};
}

TEST(BlockGame, OnlyABlockStoppingWhereItSpawnedEndsTheGameMatchOrNot) {
  const int c = 7;
  // A column of 23 and a block of the top block's colour: both vanish and
  // the game is over all the same.
  {
    GameScene g({ColumnDraw(c), ColorDraw(2)});
    ASSERT_TRUE(g.scene->started) << g.scene->error;
    SceneState& s = g.s();
    FillColumn(s, c, 1, 0, 2);
    g.Step();
    EXPECT_EQ(s.GameOver, -1);
    EXPECT_EQ(s.BlockFalling, 0);
    EXPECT_EQ(s.BlockRow, 0);
    EXPECT_EQ(Drawn(g.f()), Box(c, 0) + Box(c, 1));
    EXPECT_TRUE(BoxIs(g.f(), 113, 1, 127, 15, PanelDark));
    EXPECT_TRUE(BoxIs(g.f(), 113, 17, 127, 31, PanelDark));
    EXPECT_TRUE(CellIs(s.BlockGrid[c][0], -1));
    EXPECT_TRUE(CellIs(s.BlockGrid[c][1], -1));
    EXPECT_TRUE(CellIs(s.BlockGrid[c][2], 0));
  }
  // The same column and a block of another colour: it stays in row 0.
  {
    GameScene g({ColumnDraw(c), ColorDraw(3)});
    ASSERT_TRUE(g.scene->started) << g.scene->error;
    SceneState& s = g.s();
    FillColumn(s, c, 1, 0, 2);
    g.Step();
    EXPECT_EQ(s.GameOver, -1);
    EXPECT_EQ(Drawn(g.f()), Box(c, 0));
    EXPECT_TRUE(BoxIs(g.f(), 113, 1, 127, 15, g.f().GreenPalette[3]));
    EXPECT_TRUE(CellIs(s.BlockGrid[c][0], 3));
    EXPECT_TRUE(CellIs(s.BlockGrid[c][1], 2));
  }
  // A column of 22: the block moves once and lands in row 1, which does not
  // end the game.
  {
    GameScene g({ColumnDraw(c), ColorDraw(3), ColumnDraw(c), ColorDraw(1)});
    ASSERT_TRUE(g.scene->started) << g.scene->error;
    SceneState& s = g.s();
    FillColumn(s, c, 2, 0, 0);
    EXPECT_EQ(g.StepToLanding(), 2);
    EXPECT_EQ(s.BlockRow, 1);
    EXPECT_EQ(s.GameOver, 0);
    // The column now holds 23: the next block ends the game.
    g.Step();
    EXPECT_EQ(s.GameOver, -1);
  }
}

TEST(BlockGame, ResetGameEmptiesEveryCellAndLeavesTheBlockAndThePanelAlone) {
  GameScene g({});
  ASSERT_TRUE(g.scene->started) << g.scene->error;
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
    for (int r = 0; r < kGridRows; ++r) ASSERT_TRUE(CellIs(s.BlockGrid[c][r], -1)) << c << "," << r;
  EXPECT_EQ(s.GameOver, 0);
  EXPECT_EQ(s.BlockFalling, -1);
  EXPECT_EQ(s.BlockColumn, 4);
  EXPECT_EQ(s.BlockRow, 9);
  EXPECT_EQ(s.BlockColor, 1);
  EXPECT_TRUE(g.f().Damage().Empty());
}

TEST(BlockGame, DrawsAtTheEndsOfTheirRangesGiveColumns0And11AndColours0To3) {
  const double justBelowOne = std::nextafter(1.0, 0.0);
  // floor(r x 3.99): 0.2506 and 0.75 would give 1 and 3 with a multiplier of 4.
  GameScene g({0.0, 0.0, justBelowOne, justBelowOne, 0.5, 0.2506, 0.5, 0.75, 0.5, 0.2507});
  ASSERT_TRUE(g.scene->started) << g.scene->error;
  SceneState& s = g.s();
  const int expected[5][2] = {{0, 0}, {11, 3}, {6, 0}, {6, 2}, {6, 1}};
  for (const auto& e : expected) {
    s.BlockFalling = kFalse;
    g.Step();
    EXPECT_EQ(s.BlockColumn, e[0]);
    EXPECT_EQ(s.BlockColor, e[1]);
  }
  EXPECT_TRUE(BoxIs(g.f(), 177, 1, 191, 15, g.f().GreenPalette[3]));
}

}  // namespace
}  // namespace coderain::blocks_test
