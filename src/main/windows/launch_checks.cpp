#include "main/windows/launch_checks.h"

#include <windows.h>

namespace coderain {

bool IsPreviewArea(std::uint64_t window, std::string* error) {
  const HWND w = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
  if (!IsWindow(w)) return true;
  const HWND shell = GetShellWindow();
  const HWND root = GetAncestor(w, GA_ROOT);
  const bool child = (GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD) != 0;
  if (child && w != GetDesktopWindow() && root != GetDesktopWindow() && !(shell && root == shell)) return true;
  *error = "cannot draw into window " + std::to_string(window) +
           ": it is the desktop, the shell or a top-level window, not a settings dialog's preview area";
  return false;
}

bool FirstFullScreenRun() {
  // A mutex named in the session's own namespace, never closed: the
  // process's end releases it. Where it cannot be made, the run goes on.
  const HANDLE mark = CreateMutexW(nullptr, FALSE, L"Local\\coderain full screen");
  return !mark || GetLastError() != ERROR_ALREADY_EXISTS;
}

}  // namespace coderain
