#include "displays/web/web_input.h"

#include <algorithm>

namespace coderain {

void WebInput::Key(bool down, int key, bool repeat, std::vector<DisplayEvent>* events) {
  const auto it = std::find(down_.begin(), down_.end(), key);
  const bool seen = it != down_.end();
  if (!down) {
    if (seen) down_.erase(it);
    DisplayEvent e{DisplayEvent::Kind::KeyUp};
    e.key = key;
    events->push_back(e);
    return;
  }
  if (!seen) down_.push_back(key);
  // A repeat is no press, and the first one the page sees of a key held
  // from before is no press either.
  if (repeat) return;
  DisplayEvent e{DisplayEvent::Kind::KeyDown};
  e.key = key;
  events->push_back(e);
}

void WebInput::Blur(std::vector<DisplayEvent>* events) {
  for (int key : down_) {
    DisplayEvent e{DisplayEvent::Kind::KeyUp};
    e.key = key;
    events->push_back(e);
  }
  down_.clear();
}

void WebInput::Button(bool down, Point at, int screen, const OutputFit* fit, std::vector<DisplayEvent>* events) {
  DisplayEvent e{down ? DisplayEvent::Kind::ButtonDown : DisplayEvent::Kind::ButtonUp, screen};
  // Where no scene shows, the page is bare screen: a point outside it.
  e.at = fit ? fit->ToScene(at) : Point{-1, -1};
  events->push_back(e);
}

DisplayEvent WebInput::Appeared() const {
  DisplayEvent e{DisplayEvent::Kind::Appeared};
  e.keys = down_;
  return e;
}

}  // namespace coderain
