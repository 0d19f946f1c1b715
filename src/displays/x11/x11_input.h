// What an X event means to the scene, if anything: keys, buttons, close
// requests and exposures in the scene's terms. Translation reads the event
// and nothing else; what the display itself does about an event (a map, a
// new size, a monitor change) is the display's.
#pragma once

#include <X11/Xlib.h>

#include <vector>

#include "core/run/output_fit.h"
#include "core/run/scene_display.h"

namespace coderain {

struct X11InputContext {
  ::Window scene = None;  // the scene's window; events of any other are off the scene
  OutputFit fit;          // window pixels to scene pixels
  Atom wmProtocols = None;
  Atom wmDeleteWindow = None;
};

// Appends what `ev` means to *events; an exposure right after another
// adds nothing.
void TranslateInput(const XEvent& ev, const X11InputContext& context, std::vector<DisplayEvent>* events);

}  // namespace coderain
