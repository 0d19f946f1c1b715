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

#include "core/gfx/geometry.h"
#include "core/gfx/surface.h"
#include "core/rain/glyph_strip.h"

namespace coderain {

inline constexpr int kStreamCount = 8;

// One falling stream of the digit rain, in window pixels.
struct RainStream {
  std::int32_t X = 0;     // left pixel of its column now (a multiple of 15)
  std::int32_t Y = 0;     // top pixel of its head cell (a multiple of 18)
  std::int32_t OldX = 0;  // left pixel of its column before the last restart
};

inline constexpr Color kMapHead = FromColorValue(65280);
inline constexpr Color kMapTrail = Rgb(0, 64, 0);
inline constexpr Color kMapErase = kBlack;

// What the eight streams share: the rain they draw, the map, and the screen
// size the map is scaled from. The size is read at every step: it is 0
// until the scene is laid out, and the map waits for it.
struct StreamField {
  RainCanvas rain;
  Panel& picGame;
  const int& ScreenWidthPx;
  const int& ScreenHeightPx;
};

// How far a head falls before its stream restarts, in window pixels: the
// window's height plus two rows of the window's text.
double RestartDepth(const Window& window);

// One step of one stream, its record read and written in place.
void StepStream(const StreamField& field, RainStream& stream);

}  // namespace coderain
