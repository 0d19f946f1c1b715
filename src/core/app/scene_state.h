// The one record of animation state, zero-filled when the window is created.
//
// Flags of 16 bits hold 0 for false and -1 for true; flags of 32 bits hold
// the values their owners state. Each tick handler touches only its own
// fields (the block panel's build-up also reads GameOver).
#pragma once

#include <cstdint>

namespace coderain {

// One cell of the block game's grid.
struct GridCell {
  std::int16_t Filled = 0;      // -1 when a landed block occupies the cell
  std::int32_t ColorIndex = 0;  // GreenPalette index 0 to 3; -1 when empty
};

// One falling stream of the digit rain, in window pixels.
struct RainStream {
  std::int32_t X = 0;     // left pixel of its column now (a multiple of 15)
  std::int32_t Y = 0;     // top pixel of its head cell (a multiple of 18)
  std::int32_t OldX = 0;  // left pixel of its column before the last restart
};

inline constexpr int kGridColumns = 13;  // columns 0 to 12; 12 is never entered
inline constexpr int kGridRows = 25;     // rows 0 to 24; 24 lies below the floor
inline constexpr int kStreamCount = 8;

struct SceneState {
  std::int16_t BurstDone = 0;

  std::int32_t CPanelStarted = 0;
  std::int16_t CPanelPaused = 0;
  std::int32_t VbPanelStarted = 0;
  std::int16_t VbPanelPaused = 0;

  std::int32_t WatchPhase = 0;

  GridCell BlockGrid[kGridColumns][kGridRows] = {};
  std::int16_t BlockFalling = 0;
  std::int32_t BlockColumn = 0;
  std::int32_t BlockRow = 0;
  std::int32_t BlockColor = 0;
  std::int32_t GameOver = 0;

  std::int32_t MessagePos = 0;
  std::int16_t WipeDone = 0;
  std::int32_t WipeBottom = 0;

  // In the order of their timers: Timer2, 3, 4, 5, 7, 8, 9, 10.
  RainStream Streams[kStreamCount] = {};

  std::int32_t AsmPanelStarted = 0;
  std::int16_t AsmPanelPaused = 0;
};

inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

}  // namespace coderain
