// picWatch's build-up: edges traced, the frame blinking, the sweep and the
// grid, then the game until it is over.
//
// Every tick runs one phase, chosen by WatchPhase, and then advances it (to
// 1 after a game over, else by one). Phase 0 is met only by the first tick;
// 1 to 217 build the panel up; 218 and above are game steps.
#pragma once

#include <cstdint>

#include "core/base/timer_scheduler.h"
#include "core/gfx/geometry.h"
#include "core/panels/blocks/block_game.h"

namespace coderain {

inline constexpr int kFirstGamePhase = 218;

inline constexpr Color kWatchDim = Rgb(0, 64, 0);
inline constexpr Color kWatchBright = Rgb(0, 255, 0);
inline constexpr Color kWatchGridLine = Rgb(0, 32, 0);

// The block panel as its timer's tick sees it: the timer, whose interval
// sets the panel's rhythm, the phase counter and the game played from
// kFirstGamePhase on.
struct BlockPanel {
  TimerHandle timer;
  std::int32_t& WatchPhase;
  BlockGame game;
};

void BlockPanelTick(const BlockPanel& w);

}  // namespace coderain
