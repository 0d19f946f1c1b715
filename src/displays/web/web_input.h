// What the page's input means to the scene: keys and mouse buttons as the
// page's listeners report them, in the scene's terms. Translation reads the
// report and the keys held so far, nothing else.
#pragma once

#include <vector>

#include "core/gfx/geometry.h"
#include "core/run/display_event.h"
#include "core/run/output_fit.h"

namespace coderain {

class WebInput {
 public:
  // A key went down or up; `key` is the page's number for it. A browser
  // cannot say which keys are down, only whether a press is a repeat: a
  // repeat of a key not seen going down was held before the page had the
  // keyboard (as the page opened, or before it had the focus back). No
  // repeat is passed on; the key counts as down until it goes up.
  void Key(bool down, int key, bool repeat, std::vector<DisplayEvent>* events);
  // The page lost the keyboard: the keys seen down go up, since their
  // releases go elsewhere.
  void Blur(std::vector<DisplayEvent>* events);
  // A mouse button went down or up at `at` (device pixels) over the scene
  // shown by `fit` on screen `screen`, or over no scene (null).
  static void Button(bool down, Point at, int screen, const OutputFit* fit, std::vector<DisplayEvent>* events);
  // The scene's windows appeared: the keys down now were held then.
  DisplayEvent Appeared() const;

 private:
  std::vector<int> down_;  // keys seen going down and not up
};

}  // namespace coderain
