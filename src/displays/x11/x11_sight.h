// Whether anybody can see a window of ours, from what the X server says:
// the monitors' power, the server's screen saver, the window's own state.
#pragma once

#include <X11/Xlib.h>

namespace coderain {

// Whether the monitors show a picture at DPMS power level `level`
// (DPMSModeOn ... DPMSModeOff) with DPMS `enabled` or not: standby,
// suspend and off are dark; with DPMS disabled the monitors stay on.
bool MonitorsLit(bool enabled, int level);

// What keeps one window from sight.
struct Sight {
  bool obscured = false;  // other windows cover all of it
  bool unmapped = false;  // taken off the screen since it was shown
  bool inSaver = false;   // it is the screen saver's window, or inside it
  bool Seen(bool saverOn, bool monitorsDark) const {
    return !obscured && !unmapped && (inSaver || !saverOn) && !monitorsDark;
  }
};

// Whether `w` is `ancestor` or lies inside it.
bool WindowWithin(::Display* d, ::Window w, ::Window ancestor);

}  // namespace coderain
