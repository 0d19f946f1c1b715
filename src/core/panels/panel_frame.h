// What the framed panels share: the frame along the edge of the drawing
// area, and the green it is drawn in (the code panels' and the message
// panel's frames, the block panel's lit frame, and the message's text).
#pragma once

#include "core/gfx/geometry.h"
#include "core/gfx/surface.h"

namespace coderain {

inline constexpr Color kFrameGreen = Rgb(0, 128, 0);

// A one-pixel outline from (0, 0) to (Width - 3, Height - 3): the outermost
// pixels of the panel's drawing area, both corners included.
inline void DrawFrame(Panel& p, Color c) {
  p.DrawRect({0, 0}, {static_cast<int>(p.Width()) - 3, static_cast<int>(p.Height()) - 3}, c);
}

}  // namespace coderain
