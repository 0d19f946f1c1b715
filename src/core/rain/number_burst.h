// The field of dark-green numbers: the start-up burst and one number a tick.
//
// A number is nine digits, each copied from band 0 of the glyph strip to a
// cell of its own: the i-th digit (i = 1 for the leftmost) lands i cells to
// the right of a random column, in a random row, so the nine lie scattered
// over the window and do not read as a number.
#pragma once

#include <array>
#include <cstdint>

#include "core/gfx/surface.h"
#include "core/rain/glyph_strip.h"

namespace coderain {

// How many numbers the start-up burst draws before the first tick's own.
inline constexpr int kBurstNumbers = 3001;

// What the bursts own: the rain they draw, the six panels that the start-up
// burst hides (in this order, and shows again in the same order) and the
// flag that says the burst is done.
struct NumberBurst {
  RainCanvas rain;
  std::array<Panel*, 6> panels;
  std::int16_t& BurstDone;
};

// Scatters the nine digits of n (0 to 999,999,998) over the window. Takes
// two draws a digit: its column, then its row.
void DrawNumber(const RainCanvas& rain, std::int32_t n);
// One tick: the start-up burst on the first, then one number.
void NumberBurstTick(const NumberBurst& b);

}  // namespace coderain
