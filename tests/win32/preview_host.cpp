// A settings dialog's stand-in for the end-to-end test: a window (its
// frame) holding a child window of 152 x 112, as the dialog's little
// monitor. It prints "window HWND" (the little monitor, which /p is given)
// and "frame HWND", then "child W H" when a child window appears in the
// little monitor, and ends ("closed") once a child has been there for the
// milliseconds given as its argument, or when it is killed.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

int g_lifeMs = 0;
HWND g_monitor = nullptr;

void CALLBACK Poll(HWND w, UINT, UINT_PTR, DWORD) {
  static DWORD seen = 0;
  const HWND child = GetWindow(g_monitor, GW_CHILD);
  if (!child) return;
  if (!seen) {
    seen = GetTickCount();
    RECT r{};
    GetWindowRect(child, &r);
    std::printf("child %ld %ld\n", r.right - r.left, r.bottom - r.top);
    std::fflush(stdout);
  }
  if (g_lifeMs > 0 && GetTickCount() - seen >= static_cast<DWORD>(g_lifeMs)) {
    DestroyWindow(w);
    std::printf("closed\n");
    std::fflush(stdout);
    std::exit(0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  g_lifeMs = argc > 1 ? std::atoi(argv[1]) : 0;
  _setmode(_fileno(stdout), _O_BINARY);  // lines end in LF, for the shell
  WNDCLASSW c{};
  c.lpfnWndProc = DefWindowProcW;
  c.hInstance = GetModuleHandleW(nullptr);
  c.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  c.lpszClassName = L"preview host";
  RegisterClassW(&c);
  RECT r{0, 0, 152, 112};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  const HWND w = CreateWindowW(c.lpszClassName, L"preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               r.right - r.left, r.bottom - r.top, nullptr, nullptr, c.hInstance, nullptr);
  g_monitor =
      w ? CreateWindowW(c.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 152, 112, w, nullptr, c.hInstance, nullptr)
        : nullptr;
  if (!g_monitor) return 1;
  std::printf("window %llu\nframe %llu\n", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(g_monitor)),
              static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(w)));
  std::fflush(stdout);
  SetTimer(w, 1, 20, Poll);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  return 0;
}
