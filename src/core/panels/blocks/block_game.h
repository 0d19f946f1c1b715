// The self-playing falling-block game in picWatch.
//
// The field is 12 columns by 24 rows of 16-pixel cells; cell (c, r) is the
// square whose top left corner is picWatch pixel (16c, 16r). The grid kept in
// SceneState has one column (12) and one row (24) more: column 12 is never
// entered, and row 24 lies below the floor and always stays empty, so the
// cell under a block is always inside the grid.
#pragma once

#include <array>
#include <cstdint>

#include "core/base/random_source.h"
#include "core/gfx/geometry.h"
#include "core/gfx/surface.h"

namespace coderain {

// One cell of the block game's grid.
struct GridCell {
  std::int16_t Filled = 0;      // -1 when a landed block occupies the cell
  std::int32_t ColorIndex = 0;  // GreenPalette index 0 to 3; -1 when empty
};

inline constexpr int kGridColumns = 13;   // columns 0 to 12; 12 is never entered
inline constexpr int kGridRows = 25;      // rows 0 to 24; 24 lies below the floor
inline constexpr int kFieldColumns = 12;  // columns 0 to 11 are played
inline constexpr int kFloorRow = 23;      // the lowest row a block reaches
inline constexpr int kCellSize = 16;

// The colour of the panel's interior after the build-up's sweep; a cell is
// erased by filling its box with it.
inline constexpr Color PanelDark = Rgb(0, 8, 0);

// The two corners, both included, of the filled box drawn for a block.
struct CellCorners {
  Point a;
  Point b;
};

// The box of cell (column, row): (16c + 1, 16r + 1) to (16c + 15, 16r + 15)
// in picWatch pixels. It never touches the grid lines at multiples of 16.
constexpr CellCorners CellBox(int column, int row) {
  return {{kCellSize * column + 1, kCellSize * row + 1}, {kCellSize * column + 15, kCellSize * row + 15}};
}

// The game as its steps see it: the panel it plays in, the random source,
// the four block colours and the game's fields of SceneState.
struct BlockGame {
  Panel& picWatch;
  RandomSource& random;
  const std::array<Color, 4>& GreenPalette;
  GridCell (&BlockGrid)[kGridColumns][kGridRows];
  std::int16_t& BlockFalling;
  std::int32_t& BlockColumn;
  std::int32_t& BlockRow;
  std::int32_t& BlockColor;
  std::int32_t& GameOver;
};

// Clears GameOver and empties every cell of the grid, columns 0 to 12 and
// rows 0 to 24. Draws nothing and leaves the block in play alone.
void ResetGame(const BlockGame& g);

// Advances the game by one step: spawns a block (two random draws: column,
// then colour) or moves the one in play down a row, lands it on the floor or
// on a filled cell, removes a landed block together with the one beneath it
// when their colours match, and sets GameOver when a block stops in row 0.
// Draws the changed cells into picWatch, filled boxes only.
void GameStep(const BlockGame& g);

}  // namespace coderain
