// The one record of animation state, zero-filled when the window is created.
//
// Flags of 16 bits hold 0 for false and -1 for true; flags of 32 bits hold
// the values their owners state. Each tick handler touches only its own
// fields (the block panel's build-up also reads GameOver).
#pragma once

#include <cstdint>

#include "core/base/flags.h"
#include "core/panels/blocks/block_game.h"
#include "core/rain/falling_streams.h"

namespace coderain {

// The fields of each animation are its own (GridCell and RainStream are
// the block game's and the streams'); the record keeps them in this order.
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

}  // namespace coderain
