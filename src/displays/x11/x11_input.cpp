#include "displays/x11/x11_input.h"

#include "core/run/screen_plan.h"

namespace coderain {

namespace {

bool IsWheel(unsigned button) { return button >= 4 && button <= 7; }

const X11SceneWindow* SceneOf(const X11InputContext& context, ::Window w) {
  for (const X11SceneWindow& s : context.scenes)
    if (s.window == w) return &s;
  return nullptr;
}

}  // namespace

void TranslateInput(const XEvent& ev, const X11InputContext& context, std::vector<DisplayEvent>* events) {
  using Kind = DisplayEvent::Kind;
  switch (ev.type) {
    case Expose: {
      const X11SceneWindow* s = SceneOf(context, ev.xexpose.window);
      if (!s || ev.xexpose.count != 0) break;
      if (events->empty() || events->back().kind != Kind::Exposed || events->back().screen != s->screen)
        events->push_back({Kind::Exposed, s->screen});
      break;
    }
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
      const bool down = ev.type == ButtonPress;
      const X11SceneWindow* s = SceneOf(context, ev.xbutton.window);
      if (!s) {
        std::vector<int> screens;
        for (const X11SceneWindow& scene : context.scenes) screens.push_back(scene.screen);
        events->push_back(BareScreenButton(down, screens));
        break;
      }
      DisplayEvent e{down ? Kind::ButtonDown : Kind::ButtonUp, s->screen};
      e.at = s->fit.ToScene({ev.xbutton.x, ev.xbutton.y});
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
