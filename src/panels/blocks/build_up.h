// picWatch's build-up: edges traced, the frame blinking, the sweep and the
// grid, then the game until it is over.
//
// Every Timer14 tick runs one phase, chosen by WatchPhase, and then advances
// it (to 1 after a game over, else by one). Phase 0 is met only by the first
// tick; 1 to 217 build the panel up; 218 and above are game steps.
#pragma once

#include "platform/geometry.h"

namespace coderain {

class Form1;

inline constexpr int kTimer14 = 14;
inline constexpr int kFirstGamePhase = 218;

inline constexpr Color kWatchDim = Rgb(0, 64, 0);
inline constexpr Color kWatchMid = Rgb(0, 128, 0);
inline constexpr Color kWatchBright = Rgb(0, 255, 0);
inline constexpr Color kWatchGridLine = Rgb(0, 32, 0);

void Timer14Tick(Form1& f);

}  // namespace coderain
