// What an X event means to the scene, if anything: keys, buttons, close
// requests and exposures in the scene's terms. Translation reads the event
// and nothing else; what the display itself does about an event (a map, a
// new size, a monitor change) is the display's.
#pragma once

#include <X11/Xlib.h>

#include <vector>

#include "core/run/display_event.h"
#include "core/run/output_fit.h"

namespace coderain {

// A window of ours that shows a scene.
struct X11SceneWindow {
  ::Window window = None;
  int screen = 0;  // the display's number for the scene's screen
  OutputFit fit;   // window pixels to scene pixels
};

struct X11InputContext {
  std::vector<X11SceneWindow> scenes;  // a window of any other is off the scenes (a cover)
  Atom wmProtocols = None;
  Atom wmDeleteWindow = None;
};

// Appends what `ev` means to *events; an exposure of a screen right after
// another of the same screen adds nothing.
void TranslateInput(const XEvent& ev, const X11InputContext& context, std::vector<DisplayEvent>* events);

}  // namespace coderain
