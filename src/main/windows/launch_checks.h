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

}  // namespace coderain
