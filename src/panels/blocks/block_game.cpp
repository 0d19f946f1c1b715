#include "panels/blocks/block_game.h"

#include <cmath>
#include <cstdint>

#include "app/form1.h"

namespace coderain {

namespace {

void FillCell(Form1& f, int column, int row, Color c) {
  const CellCorners box = CellBox(column, row);
  f.picWatch.FillRect(box.a, box.b, c);
}

constexpr GridCell kEmptyCell{kFalse, -1};

}  // namespace

void ResetGame(Form1& f) {
  SceneState& s = f.state;
  s.GameOver = 0;
  for (auto& column : s.BlockGrid)
    for (GridCell& cell : column) cell = kEmptyCell;
}

void GameStep(Form1& f) {
  SceneState& s = f.state;

  if (s.BlockFalling == kFalse) {
    // A new block enters the top row. The colour multiplier is 3.99, not 4,
    // so the last green comes up a little less often than the others.
    s.BlockColumn = static_cast<std::int32_t>(std::floor(f.random.Next() * kFieldColumns));
    s.BlockRow = 0;
    s.BlockColor = static_cast<std::int32_t>(std::floor(f.random.Next() * 3.99));
    s.BlockFalling = kTrue;
  } else {
    FillCell(f, s.BlockColumn, s.BlockRow, PanelDark);
    s.BlockRow += 1;
  }

  const int c = s.BlockColumn;
  const int r = s.BlockRow;
  GridCell& below = s.BlockGrid[c][r + 1];
  if (below.Filled != kFalse || r == kFloorRow) {
    s.BlockFalling = kFalse;
    GridCell& here = s.BlockGrid[c][r];
    here.Filled = kTrue;
    here.ColorIndex = s.BlockColor;
    // A block landing on one of its own colour takes it away with it; the
    // floor's row below holds no colour, so a block on the floor stays.
    if (here.ColorIndex == below.ColorIndex) {
      FillCell(f, c, r, PanelDark);
      FillCell(f, c, r + 1, PanelDark);
      here = kEmptyCell;
      below = kEmptyCell;
    } else {
      FillCell(f, c, r, f.GreenPalette[static_cast<std::size_t>(s.BlockColor)]);
    }
  } else {
    FillCell(f, c, r, f.GreenPalette[static_cast<std::size_t>(s.BlockColor)]);
  }

  // Only a block that stops where it was spawned ends the game, whether it
  // stays there or vanishes with the one beneath it.
  if (s.BlockRow == 0 && s.BlockFalling == kFalse) s.GameOver = -1;
}

}  // namespace coderain
