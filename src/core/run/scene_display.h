// What the scene's loop asks of a display, whatever the platform: the
// screens the scenes are shown on, each with the frame its scene draws into
// and how that frame fits the window, and presents.
//
// A screen is a window of the display's that shows one scene, known by a
// number the display gives it; most runs have one. Events (display_event.h)
// reach the loop through the host's driver, which waits for them.
#pragma once

#include <vector>

#include "core/gfx/bitmap.h"
#include "core/gfx/damage.h"
#include "core/run/display_event.h"
#include "core/run/output_fit.h"

namespace coderain {

// The title of a window that shows a scene, which people and programs find
// it by, and of a window that covers a monitor black.
inline constexpr char kSceneTitle[] = "Form1";
inline constexpr char kCoverTitle[] = "coderain";

class SceneDisplay {
 public:
  virtual ~SceneDisplay() = default;

  // The screens there are now, in the order their scenes are made.
  virtual std::vector<int> Screens() const = 0;
  // What screen `screen`'s scene draws into, of the scene's size: the
  // window's own image where the scene can draw straight into it, else a
  // frame the display copies from on each present. Its pixels and size
  // change only with a Resized event for the screen.
  virtual Bitmap& Frame(int screen) = 0;
  // How the scene fits the screen's window now (sizes, scale, the rate of
  // presents).
  virtual const OutputFit& Fit(int screen) const = 0;

  // Shows the windows; until its first present a screen is black.
  virtual void Show() = 0;
  // Puts the frame's damaged rectangles on the screen. Returns false,
  // sending nothing, while the display has not yet taken the screen's last
  // present; it says when it has by an event or a wake-up of the driver,
  // and the caller keeps the damage for the next try.
  virtual bool Present(int screen, const DamageList& damage) = 0;
  // Puts the whole frame on the screen (after an exposure or a new scene),
  // at once or with the next present that the display takes.
  virtual void PresentAll(int screen) = 0;
  // Whether a whole present waits for the display to take it.
  virtual bool Pending(int screen) const = 0;
  // The scene is about to draw into the screen's frame; `unsent` is what it
  // drew there since its last present. A display whose frame is one of
  // several images may move the frame onto another (its pixels, not the
  // object), so that nothing is drawn into an image the system holds.
  virtual void PrepareToDraw(int /*screen*/, const DamageList& /*unsent*/) {}
  // Whether the screen's last present is still on its way and the display
  // will wake the driver when the next one may go (a compositor's frame
  // callback): the loop then sets no timer of its own for the screen.
  virtual bool AwaitsDisplay(int /*screen*/) const { return false; }
};

}  // namespace coderain
