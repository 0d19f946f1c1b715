// What a window message means to the scene, if it is input: keys and
// mouse buttons in the scene's terms. Translation reads the message and
// nothing else.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "core/run/display_event.h"
#include "core/run/output_fit.h"

namespace coderain {

// The window a message came to: a scene's (its screen, and how its pixels
// map to the scene's), or a black cover (no fit), where a click is on the
// bare screen of the first of the display's `screens`.
struct Win32Target {
  int screen = 0;
  const OutputFit* fit = nullptr;
  std::span<const int> screens = {};
};

// Appends what `message` means to *events. Returns false for a message
// that is no key or button.
bool TranslateInput(UINT message, WPARAM wp, LPARAM lp, Win32Target target, std::vector<DisplayEvent>* events);

}  // namespace coderain
