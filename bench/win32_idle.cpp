// The floor of a Win32 program under wine: a window that does nothing on
// a 10 ms timer, measured beside coderain.scr by bench/windows.sh. It ends
// after the milliseconds given as its argument.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  WNDCLASSW c{};
  c.lpfnWndProc = DefWindowProcW;
  c.hInstance = GetModuleHandleW(nullptr);
  c.lpszClassName = L"idle";
  RegisterClassW(&c);
  const HWND w =
      CreateWindowW(L"idle", L"idle", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr, c.hInstance, nullptr);
  SetTimer(w, 1, 10, nullptr);
  const UINT life = argc > 1 ? static_cast<UINT>(std::atoi(argv[1])) : 0;
  if (life > 0) SetTimer(w, 2, life, nullptr);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (m.message == WM_TIMER && m.wParam == 2) break;
    DispatchMessageW(&m);
  }
  return 0;
}
