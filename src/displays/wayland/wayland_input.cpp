#include "displays/wayland/wayland_input.h"

#include <cmath>

namespace coderain {

void WaylandInput::KeyboardEntered(std::span<const std::uint32_t> keys, std::vector<DisplayEvent>* events) {
  if (entered_) return;
  entered_ = true;
  DisplayEvent e{DisplayEvent::Kind::Appeared};
  for (std::uint32_t key : keys) e.keys.push_back(static_cast<int>(key));
  events->push_back(std::move(e));
}

void WaylandInput::Key(std::uint32_t key, bool pressed, std::vector<DisplayEvent>* events) const {
  DisplayEvent e{pressed ? DisplayEvent::Kind::KeyDown : DisplayEvent::Kind::KeyUp};
  e.key = static_cast<int>(key);
  events->push_back(e);
}

void WaylandInput::PointerAt(Surface surface, double x, double y) {
  surface_ = surface;
  x_ = x;
  y_ = y;
}

void WaylandInput::Button(bool pressed, int screen, const OutputFit& fit, int bufferScale,
                          std::vector<DisplayEvent>* events) const {
  DisplayEvent e{pressed ? DisplayEvent::Kind::ButtonDown : DisplayEvent::Kind::ButtonUp, screen};
  e.at = {-1, -1};
  if (surface_ == Surface::Scene) {
    const Point p{static_cast<int>(std::floor(x_ * bufferScale)), static_cast<int>(std::floor(y_ * bufferScale))};
    if (p.x >= 0 && p.y >= 0) e.at = fit.ToScene(p);
  }
  events->push_back(e);
}

}  // namespace coderain
