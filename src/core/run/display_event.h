// One raw event of a display, in the scene's terms: what the loop hears
// from the display and from the host (close requests).
#pragma once

#include <string>
#include <vector>

#include "core/gfx/geometry.h"

namespace coderain {

struct DisplayEvent {
  enum class Kind {
    ScreenAdded,     // a screen to show a scene on: `screen`
    ScreenRemoved,   // screen `screen` is gone, and its scene with it
    Resized,         // screen `screen` has a new size or density: its frame and fit are new
    Exposed,         // screen `screen` needs its whole frame again
    Appeared,        // the scene's windows appeared; `keys` were held down then
    KeyDown,         // `key` went down (a number of the display's choosing)
    KeyUp,           // `key` went up
    ButtonDown,      // a mouse button went down at `at` on screen `screen`
    ButtonUp,        // a mouse button went up at `at` on screen `screen`
    Unseen,          // nobody can see screen `screen` now (a monitor asleep, a window over it)
    Seen,            // screen `screen` can be seen again
    PowerChanged,    // the machine runs on battery (`onBattery`) or on mains now
    CloseRequested,  // asked to close: by signal `signal`, or by the system when 0
    WindowGone,      // a window the scene is shown in is gone
    Failed,          // the display cannot go on; `text` says why in one line
  };
  DisplayEvent(Kind k) : kind(k) {}  // NOLINT: an event is its kind first
  DisplayEvent(Kind k, int s) : kind(k), screen(s) {}

  Kind kind;
  int screen = 0;
  int key = 0;
  // Outside the scene (a monitor the scene is not on, the columns past a
  // scaled scene) is bare screen.
  Point at{};
  std::vector<int> keys;
  int signal = 0;
  bool onBattery = false;
  std::string text;
};

}  // namespace coderain
