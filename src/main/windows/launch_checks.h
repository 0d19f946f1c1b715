// What the screen saver checks of how it was started, before it opens a
// window.
#pragma once

#include <cstdint>
#include <string>

namespace coderain {

// Whether `window`, handed to /p, may take the preview: Windows hands the
// preview area of a settings dialog, a child window, and the preview fills
// it until the dialog goes. The desktop, the shell's window, whatever lies
// in them and any top-level window would be covered by a preview that
// nothing ends, and are refused with one line in *error. A handle that
// names no window is left to the display to refuse.
bool IsPreviewArea(std::uint64_t window, std::string* error);

// Whether this is the only full-screen run in the session. The first run
// keeps the answer for the others until it ends; a second ends at once, so
// that the first keeps the screen and the keyboard.
bool FirstFullScreenRun();

}  // namespace coderain
