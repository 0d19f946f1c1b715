// How many screen pixels a scene pixel takes on a monitor: a whole number
// s, every scene pixel an s x s block, so that the scene keeps its size in
// millimetres on dense screens. The scene then runs at floor(width / s) x
// floor(height / s); rows and columns left past that stay black.
#pragma once

#include <string_view>

namespace coderain {

// The scale for a monitor of width x height pixels. `requested` (the
// command line's, 1 to 8) wins when it is not 0. Otherwise the desktop's
// density decides where it has set one (`dpi` > 0: round(dpi / 96)), else
// the height does (one for every 1080 rows); either is then held to what
// leaves a scene of at least 1024 x 768, and to 1 at the least. No scale
// leaves a scene smaller than one pixel, and a monitor of no size gets 1.
int DisplayScale(int width, int height, double dpi, int requested);

// The desktop's density as the X resource database holds it (the text of
// the root's RESOURCE_MANAGER property: "name:\tvalue" lines): the value of
// Xft.dpi, or 0 where it is missing or not a sensible number.
double ResourceDpi(std::string_view resources);

}  // namespace coderain
