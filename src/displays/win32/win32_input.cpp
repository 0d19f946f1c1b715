#include "displays/win32/win32_input.h"

#include <windowsx.h>

#include "core/run/screen_plan.h"

namespace coderain {

bool TranslateInput(UINT message, WPARAM wp, LPARAM lp, Win32Target target, std::vector<DisplayEvent>* events) {
  using Kind = DisplayEvent::Kind;
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      DisplayEvent e{message == WM_KEYDOWN || message == WM_SYSKEYDOWN ? Kind::KeyDown : Kind::KeyUp};
      e.key = static_cast<int>(wp & 0xFF);
      events->push_back(e);
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP: {
      const bool down = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
                        message == WM_XBUTTONDOWN;
      if (!target.fit) {
        events->push_back(BareScreenButton(down, target.screens));
        return true;
      }
      DisplayEvent e{down ? Kind::ButtonDown : Kind::ButtonUp, target.screen};
      e.at = target.fit->ToScene({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      events->push_back(e);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace coderain
