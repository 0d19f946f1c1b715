#include "core/panels/blocks/block_game.h"

#include <cmath>

#include "core/base/flags.h"

namespace coderain {

namespace {

void FillCell(Panel& p, int column, int row, Color c) {
  const CellCorners box = CellBox(column, row);
  p.FillRect(box.a, box.b, c);
}

constexpr GridCell kEmptyCell{kFalse, -1};

}  // namespace

void ResetGame(const BlockGame& g) {
  g.GameOver = 0;
  for (auto& column : g.BlockGrid)
    for (GridCell& cell : column) cell = kEmptyCell;
}

void GameStep(const BlockGame& g) {
  if (g.BlockFalling == kFalse) {
    // A new block enters the top row. The colour multiplier is 3.99, not 4,
    // so the last green comes up a little less often than the others.
    g.BlockColumn = static_cast<std::int32_t>(std::floor(g.random.Next() * kFieldColumns));
    g.BlockRow = 0;
    g.BlockColor = static_cast<std::int32_t>(std::floor(g.random.Next() * 3.99));
    g.BlockFalling = kTrue;
  } else {
    FillCell(g.picWatch, g.BlockColumn, g.BlockRow, PanelDark);
    g.BlockRow += 1;
  }

  const int c = g.BlockColumn;
  const int r = g.BlockRow;
  GridCell& below = g.BlockGrid[c][r + 1];
  if (below.Filled != kFalse || r == kFloorRow) {
    g.BlockFalling = kFalse;
    GridCell& here = g.BlockGrid[c][r];
    here.Filled = kTrue;
    here.ColorIndex = g.BlockColor;
    // A block landing on one of its own colour takes it away with it; the
    // floor's row below holds no colour, so a block on the floor stays.
    if (here.ColorIndex == below.ColorIndex) {
      FillCell(g.picWatch, c, r, PanelDark);
      FillCell(g.picWatch, c, r + 1, PanelDark);
      here = kEmptyCell;
      below = kEmptyCell;
    } else {
      FillCell(g.picWatch, c, r, g.GreenPalette[static_cast<std::size_t>(g.BlockColor)]);
    }
  } else {
    FillCell(g.picWatch, c, r, g.GreenPalette[static_cast<std::size_t>(g.BlockColor)]);
  }

  // Only a block that stops where it was spawned ends the game, whether it
  // stays there or vanishes with the one beneath it.
  if (g.BlockRow == 0 && g.BlockFalling == kFalse) g.GameOver = -1;
}

}  // namespace coderain
