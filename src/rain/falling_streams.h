// The eight falling digit streams and their overview map on picGame.
#pragma once

#include <cstdint>

namespace coderain {

class Form1;

// One step of one stream: its three fields, read and written in place.
void StepStream(Form1& f, std::int32_t& X, std::int32_t& Y, std::int32_t& OldX);
// The tick of the stream timer that owns Streams[index] (0 to 7: Timer2,
// Timer3, Timer4, Timer5, Timer7, Timer8, Timer9, Timer10).
void StreamTick(Form1& f, int index);

}  // namespace coderain
