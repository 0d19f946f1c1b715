#include "displays/win32/win32_input.h"

#include <windowsx.h>

#include <cstddef>
#include <cstring>

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

Win32Notice TranslateNotice(UINT message, WPARAM wp, LPARAM lp, Win32Sight* sight) {
  if (message == WM_POWERBROADCAST && wp == PBT_APMPOWERSTATUSCHANGE) return Win32Notice::Power;
  if (message == WM_POWERBROADCAST && wp == PBT_POWERSETTINGCHANGE && lp) {
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lp);
    if (!IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) || setting->DataLength < sizeof(DWORD))
      return Win32Notice::None;
    DWORD state = 0;  // 0 off, 1 on, 2 dimmed
    std::memcpy(&state, reinterpret_cast<const unsigned char*>(setting) + offsetof(POWERBROADCAST_SETTING, Data),
                sizeof state);
    if (state > 2) return Win32Notice::None;
    sight->displayDark = state != 1;
    return Win32Notice::Sight;
  }
  if (message != WM_WTSSESSION_CHANGE) return Win32Notice::None;
  switch (wp) {
    case WTS_SESSION_LOCK:
    case WTS_SESSION_UNLOCK:
      sight->locked = wp == WTS_SESSION_LOCK;
      return Win32Notice::Sight;
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT:
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT:
      sight->away = wp == WTS_CONSOLE_DISCONNECT || wp == WTS_REMOTE_DISCONNECT;
      return Win32Notice::Sight;
    default:
      return Win32Notice::None;
  }
}

bool OnBattery(const SYSTEM_POWER_STATUS& status) { return status.ACLineStatus == 0; }

}  // namespace coderain
