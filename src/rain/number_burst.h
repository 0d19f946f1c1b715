// The field of dark-green numbers: the start-up burst and one number a tick.
//
// A number is nine digits, each copied from band 0 of the glyph strip to a
// cell of its own: the i-th digit (i = 1 for the leftmost) lands i cells to
// the right of a random column, in a random row, so the nine lie scattered
// over the window and do not read as a number.
#pragma once

#include <cstdint>

namespace coderain {

class Form1;

// How many numbers the start-up burst draws before the first tick's own.
inline constexpr int kBurstNumbers = 3001;

// The left pixel of a random grid column of the window (a multiple of 15).
// Takes one draw.
double RandomColumn(Form1& f);
// Scatters the nine digits of n (0 to 999,999,998) over the window. Takes
// two draws a digit: its column, then its row.
void DrawNumber(Form1& f, std::int32_t n);
// Timer1: the start-up burst on the first tick, then one number.
void Timer1Tick(Form1& f);

}  // namespace coderain
