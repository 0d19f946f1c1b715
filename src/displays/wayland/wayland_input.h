// What the compositor's keyboard and pointer events mean to the scene:
// keys as they come (the keyboard's own codes; no keymap is needed to tell
// keys apart), the keys held as the keyboard first entered a surface of
// ours, and buttons at scene pixels. Translation keeps only where the
// pointer is; what the display does itself is the display's.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/run/display_event.h"
#include "core/run/output_fit.h"

namespace coderain {

class WaylandInput {
 public:
  // Which surface of ours an event is on.
  enum class Surface { Scene, Cover };

  // The keyboard entered a surface of ours holding `keys` down. Only the
  // first entry says which keys were held as the scene appeared.
  void KeyboardEntered(std::span<const std::uint32_t> keys, std::vector<DisplayEvent>* events);
  void Key(std::uint32_t key, bool pressed, std::vector<DisplayEvent>* events) const;

  // The pointer is over `surface` at (x, y), in the surface's logical
  // pixels.
  void PointerAt(Surface surface, double x, double y);
  void PointerMoved(double x, double y) { PointerAt(surface_, x, y); }
  // A button went down or up where the pointer is: on a scene (of screen
  // `screen`), at the scene pixel under it (the buffer holds `bufferScale`
  // pixels a logical one); on a cover, bare screen of screen `screen`.
  void Button(bool pressed, int screen, const OutputFit& fit, int bufferScale, std::vector<DisplayEvent>* events) const;

 private:
  bool entered_ = false;
  Surface surface_ = Surface::Cover;
  double x_ = 0, y_ = 0;
};

}  // namespace coderain
