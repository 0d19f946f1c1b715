// The field of dark-green numbers: the start-up burst and one number a tick.
#pragma once

#include <cstdint>

namespace coderain {

class Form1;

// The left pixel of a random grid column of the window (a multiple of 15).
double RandomColumn(Form1& f);
// Scatters the nine digits of n (0 to 999,999,998) over the window.
void DrawNumber(Form1& f, std::int32_t n);
// Timer1: the start-up burst on the first tick, then one number.
void Timer1Tick(Form1& f);

}  // namespace coderain
