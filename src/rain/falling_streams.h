// The eight falling digit streams and their overview map on picGame.
//
// A stream falls down one grid column, a cell a step: a white head, a
// mid-green trail two cells above it, and a dark-green wake at the head's
// height in the column it fell in before. Past the bottom it starts again
// at the top of a random column. The map on picGame shows the window at one
// 3 x 3 box per cell: green for the head, dark green above it, black over
// the old column.
#pragma once

#include <cstdint>

#include "platform/geometry.h"

namespace coderain {

class Form1;

inline constexpr Color kMapHead = FromColorValue(65280);
inline constexpr Color kMapTrail = Rgb(0, 64, 0);
inline constexpr Color kMapErase = kBlack;

// How far a head falls before its stream restarts, in window pixels: the
// window's height plus two rows of the window's text.
double RestartDepth(const Form1& f);

// One step of one stream: its three fields, read and written in place.
void StepStream(Form1& f, std::int32_t& X, std::int32_t& Y, std::int32_t& OldX);
// The tick of the stream timer that owns Streams[index] (0 to 7: Timer2,
// Timer3, Timer4, Timer5, Timer7, Timer8, Timer9, Timer10).
void StreamTick(Form1& f, int index);

}  // namespace coderain
