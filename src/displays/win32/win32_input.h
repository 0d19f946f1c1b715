// What a window message means to the scene, if it is input: keys and
// mouse buttons in the scene's terms; or if it is a notice of the system's:
// whether anyone can see the screens, whether the power has changed.
// Translation reads the message and nothing else.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "core/run/display_event.h"
#include "core/run/output_fit.h"

namespace coderain {

// The window a message came to: a scene's (its screen, and how its pixels
// map to the scene's), or a black cover (no fit), where a click is on the
// bare screen of the first of the display's `screens`.
struct Win32Target {
  int screen = 0;
  const OutputFit* fit = nullptr;
  std::span<const int> screens = {};
};

// Appends what `message` means to *events. Returns false for a message
// that is no key or button.
bool TranslateInput(UINT message, WPARAM wp, LPARAM lp, Win32Target target, std::vector<DisplayEvent>* events);

// Whether anyone can see the screens, as the system's notices say: the
// display off or dimmed, the session locked, or the session away from its
// console (another user's in front, a remote session cut). A session
// switched away while locked is still locked when it comes back.
struct Win32Sight {
  bool displayDark = false;
  bool locked = false;
  bool away = false;

  bool Unseen() const { return displayDark || locked || away; }
  bool operator==(const Win32Sight&) const = default;
};

// GUID_CONSOLE_DISPLAY_STATE, here rather than from a library.
inline constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

enum class Win32Notice {
  None,   // no notice of ours
  Sight,  // *sight holds what it says
  Power,  // the power source may have changed: ask the system
};

// Reads a WM_POWERBROADCAST (the display's state, GUID_CONSOLE_DISPLAY_STATE,
// or a change of power source) or a WM_WTSSESSION_CHANGE into *sight.
Win32Notice TranslateNotice(UINT message, WPARAM wp, LPARAM lp, Win32Sight* sight);

// Whether the system's power status says it runs on battery: only where it
// knows it is off mains.
bool OnBattery(const SYSTEM_POWER_STATUS& status);

}  // namespace coderain
