#include "displays/x11/x11_input.h"

namespace coderain {

namespace {

bool IsWheel(unsigned button) { return button >= 4 && button <= 7; }

}  // namespace

void TranslateInput(const XEvent& ev, const X11InputContext& context, std::vector<DisplayEvent>* events) {
  using Kind = DisplayEvent::Kind;
  switch (ev.type) {
    case Expose:
      if (ev.xexpose.count == 0 && (events->empty() || events->back().kind != Kind::Exposed))
        events->push_back({Kind::Exposed});
      break;
    case KeyPress:
    case KeyRelease: {
      DisplayEvent e{ev.type == KeyPress ? Kind::KeyDown : Kind::KeyUp};
      e.key = static_cast<int>(ev.xkey.keycode);
      events->push_back(e);
      break;
    }
    case ButtonPress:
    case ButtonRelease: {
      // The wheel turns; it does not click.
      if (IsWheel(ev.xbutton.button)) break;
      DisplayEvent e{ev.type == ButtonPress ? Kind::ButtonDown : Kind::ButtonUp};
      // A monitor without the scene is bare screen: a point outside it.
      e.at = ev.xbutton.window == context.scene ? context.fit.ToScene({ev.xbutton.x, ev.xbutton.y}) : Point{-1, -1};
      events->push_back(e);
      break;
    }
    case ClientMessage:
      if (ev.xclient.message_type == context.wmProtocols &&
          static_cast<Atom>(ev.xclient.data.l[0]) == context.wmDeleteWindow)
        events->push_back({Kind::CloseRequested});
      break;
    default:
      break;
  }
}

}  // namespace coderain
