// What every front end (X11, SDL) offers the program's loop: the scene's
// size, raw events translated into the scene's terms, and presents.
#pragma once

#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/damage.h"
#include "platform/geometry.h"

namespace coderain {

// One raw event, in the scene's pixels. Nothing is decided here: the
// program's input rules decide what a key or a click does.
struct FrontEndEvent {
  enum class Kind {
    Resized,         // the scene's size is now width x height
    Exposed,         // the windows need the whole frame again
    Appeared,        // the scene's window appeared; `keys` are held down
    KeyDown,         // `key` went down
    KeyUp,           // `key` went up
    ButtonDown,      // a mouse button went down at `at`
    ButtonUp,        // a mouse button went up at `at`
    CloseRequested,  // the system asks the program to close
    WindowGone,      // the scene's window was destroyed by someone else
  };
  FrontEndEvent(Kind k) : kind(k) {}  // NOLINT: an event is its kind first

  Kind kind;
  int key = 0;
  // Outside the scene (a monitor the scene is not on, the columns past a
  // scaled scene) is bare screen.
  Point at{};
  int width = 0;
  int height = 0;
  std::vector<int> keys;
};

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // The scene's size in its own pixels.
  virtual int SceneWidth() const = 0;
  virtual int SceneHeight() const = 0;
  // The frames a second worth presenting: the display's refresh rate, or
  // less for a scene shown in miniature; 0 when unknown. It changes only
  // with the scene's size.
  virtual int RefreshHz() const = 0;
  // The window's own image, of the scene's size, when the scene can draw
  // straight into it (the same pixel layout, no scaling): presents then
  // copy nothing. Null when the scene keeps a framebuffer of its own. It
  // changes only with a size change.
  virtual Bitmap* SceneFrame() { return nullptr; }

  // Shows the windows (the frame is black until the first present).
  virtual void Show() = 0;
  // Sleeps until an event arrives, `wakeFd` becomes readable or timeoutMs
  // pass, then appends the events that arrived to *events.
  virtual void Wait(int timeoutMs, int wakeFd, std::vector<FrontEndEvent>* events) = 0;
  // Puts the damaged rectangles of `frame` on the screen. Returns false,
  // sending nothing, while the display has not yet taken the last present:
  // the caller keeps the damage for a later try.
  virtual bool Present(const Bitmap& frame, const DamageList& damage) = 0;
  // Puts the whole frame on the screen (after an exposure or a new scene).
  virtual void PresentAll(const Bitmap& frame) = 0;
};

}  // namespace coderain
