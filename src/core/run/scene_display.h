// What every display (X11, Wayland, Win32) offers the scene's loop: the
// frame the scene draws into, raw events in the scene's terms, and
// presents. A display only translates; the loop and the input rules decide
// what an event means.
//
// A display is opened for a launch request by its own Open function (its
// folder under platform/) and fits the scene to its window by the one rule
// of app/output_fit.h.
#pragma once

#include <string>
#include <vector>

#include "core/gfx/bitmap.h"
#include "core/gfx/damage.h"
#include "core/gfx/geometry.h"
#include "core/run/output_fit.h"

namespace coderain {

// One raw event, in the scene's pixels.
struct DisplayEvent {
  enum class Kind {
    Resized,         // the scene has a new size: Frame() and Fit() are new
    Exposed,         // the windows need the whole frame again
    Appeared,        // the scene's window appeared; `keys` were held down then
    KeyDown,         // `key` went down (a number of the display's choosing)
    KeyUp,           // `key` went up
    ButtonDown,      // a mouse button went down at `at`
    ButtonUp,        // a mouse button went up at `at`
    CloseRequested,  // asked to close: by signal `signal`, or by the system when 0
    WindowGone,      // the window the scene is shown in is gone
    Failed,          // the display cannot go on; `text` says why in one line
  };
  DisplayEvent(Kind k) : kind(k) {}  // NOLINT: an event is its kind first

  Kind kind;
  int key = 0;
  // Outside the scene (a monitor the scene is not on, the columns past a
  // scaled scene) is bare screen.
  Point at{};
  std::vector<int> keys;
  int signal = 0;
  std::string text;
};

class SceneDisplay {
 public:
  virtual ~SceneDisplay() = default;

  // What the scene draws into, of the scene's size: the window's own image
  // where the scene can draw straight into it, else a frame the display
  // copies from on each present. It is the same object for the display's
  // life; its pixels and size change only with a Resized event.
  virtual Bitmap& Frame() = 0;
  // How the scene fits the window now (sizes, scale, the rate of presents).
  virtual const OutputFit& Fit() const = 0;

  // Shows the windows; until the first present the scene's is black.
  virtual void Show() = 0;
  // Sleeps until an event arrives or `timeoutMs` pass, then appends what
  // arrived to *events. Close requests come this way too, on every
  // platform, so nothing else needs watching.
  virtual void Wait(int timeoutMs, std::vector<DisplayEvent>* events) = 0;
  // Puts the frame's damaged rectangles on the screen. Returns false,
  // sending nothing, while the display has not yet taken the last present;
  // it says when it has with an event (or a wake-up), and the caller keeps
  // the damage for the next try.
  virtual bool Present(const DamageList& damage) = 0;
  // Puts the whole frame on the screen (after an exposure or a new scene).
  virtual void PresentAll() = 0;
};

}  // namespace coderain
