#include "displays/win32/win32_display.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace coderain {

namespace {

constexpr wchar_t kClassName[] = L"coderain";
// Where this SDK or system lacks them.
constexpr DWORD kHighResolutionTimer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

bool RegisterClassOnce(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.style = CS_OWNDC;
    c.lpfnWndProc = proc;
    c.hInstance = GetModuleHandleW(nullptr);
    // The pointer stays visible, as on every other system.
    c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    c.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    c.lpszClassName = kClassName;
    return RegisterClassExW(&c) != 0;
  }();
  return registered;
}

// The monitors' rectangles on the virtual screen, the primary first.
std::vector<RECT> MonitorRects() {
  std::vector<RECT> rects;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR m, HDC, LPRECT, LPARAM data) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoW(m, &info)) return TRUE;
        auto* list = reinterpret_cast<std::vector<RECT>*>(data);
        if (info.dwFlags & MONITORINFOF_PRIMARY)
          list->insert(list->begin(), info.rcMonitor);
        else
          list->push_back(info.rcMonitor);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&rects));
  if (rects.empty()) rects.push_back({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  return rects;
}

bool SameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const RECT& x, const RECT& y) {
    return x.left == y.left && x.top == y.top && x.right == y.right && x.bottom == y.bottom;
  });
}

// The window's density: per monitor where the system says (Windows 10),
// else the desktop's.
double DpiOf(HWND w) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto forWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (forWindow)
    if (const UINT dpi = forWindow(w); dpi > 0) return dpi;
  const HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi;
}

int RefreshHz() {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  // 0 and 1 stand for the hardware's default rate.
  return EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1
             ? static_cast<int>(mode.dmDisplayFrequency)
             : 0;
}

}  // namespace

Win32Display::Win32Display(const LaunchRequest& request) : preview_(request.mode == LaunchRequest::Mode::Preview) {
  facts_.requestedScale = request.scale;
  facts_.lent = preview_;
  facts_.refreshHz = RefreshHz();
  parent_ = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(request.window));
}

Win32Display::~Win32Display() {
  if (timer_) CloseHandle(timer_);
  if (memoryDc_) {
    SelectObject(memoryDc_, firstBitmap_);
    DeleteDC(memoryDc_);
  }
  if (dib_) DeleteObject(dib_);
  for (HWND c : covers_) DestroyWindow(c);
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

std::unique_ptr<Win32Display> Win32Display::Open(const LaunchRequest& request, std::string* error) {
  std::unique_ptr<Win32Display> d(new Win32Display(request));
  if (!RegisterClassOnce(&Win32Display::WindowProc)) {
    *error = "cannot register the window class";
    return nullptr;
  }
  // Where the high-resolution kind is unknown (before Windows 10 1803),
  // an ordinary timer at the system's granularity.
  d->timer_ = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
  if (!d->timer_) d->timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  d->memoryDc_ = CreateCompatibleDC(nullptr);
  if (!d->timer_ || !d->memoryDc_) {
    *error = "cannot create the window: out of system resources";
    return nullptr;
  }
  if (!(d->preview_ ? d->CreatePreview(error) : d->CreateOwnWindow(error))) return nullptr;
  return d;
}

bool Win32Display::CreateOwnWindow(std::string* error) {
  const RECT b = MonitorRects().front();
  window_ = CreateWindowExW(WS_EX_TOPMOST, kClassName, L"Form1", WS_POPUP, b.left, b.top, b.right - b.left,
                            b.bottom - b.top, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) {
    *error = "cannot create the window (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  windowDc_ = GetDC(window_);
  facts_.dpi = DpiOf(window_);
  const SIZE size = CoverMonitors();
  return FitTo(size.cx, size.cy, error);
}

bool Win32Display::CreatePreview(std::string* error) {
  RECT r{};
  if (!IsWindow(parent_) || !GetClientRect(parent_, &r)) {
    *error = "cannot draw into window " + std::to_string(reinterpret_cast<std::uintptr_t>(parent_)) +
             ": there is no such window";
    return false;
  }
  // Disabled: the dialog's clicks stay the dialog's.
  window_ = CreateWindowExW(0, kClassName, L"coderain preview", WS_CHILD | WS_DISABLED, 0, 0, r.right, r.bottom,
                            parent_, nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) {
    *error = "cannot create the preview window (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  windowDc_ = GetDC(window_);
  return FitTo(r.right, r.bottom, error);
}

SIZE Win32Display::CoverMonitors() {
  const std::vector<RECT> monitors = MonitorRects();
  monitors_ = monitors;
  const RECT& b = monitors.front();
  SetWindowPos(window_, HWND_TOPMOST, b.left, b.top, b.right - b.left, b.bottom - b.top, SWP_NOACTIVATE);
  const bool shown = IsWindowVisible(window_);
  while (covers_.size() + 1 > monitors.size()) {
    DestroyWindow(covers_.back());
    covers_.pop_back();
  }
  for (std::size_t i = 1; i < monitors.size(); ++i) {
    const RECT& m = monitors[i];
    if (i > covers_.size()) {
      const HWND c =
          CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, L"", WS_POPUP, m.left, m.top, m.right - m.left,
                          m.bottom - m.top, nullptr, nullptr, GetModuleHandleW(nullptr), this);
      if (!c) break;  // that monitor keeps the desktop: nothing worse
      covers_.push_back(c);
    }
    SetWindowPos(covers_[i - 1], HWND_TOPMOST, m.left, m.top, m.right - m.left, m.bottom - m.top,
                 SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : 0));
  }
  return {b.right - b.left, b.bottom - b.top};
}

bool Win32Display::FitTo(int width, int height, std::string* error) {
  OutputFacts facts = facts_;
  facts.width = width;
  facts.height = height;
  const OutputFit fit = FitOutput(facts);
  const bool direct = fit.scaling.up == 1 && fit.scaling.down == 1;
  const auto noMemory = [&](int w, int h) {
    *error = "not enough memory for a " + std::to_string(w) + "x" + std::to_string(h) + " image";
    return false;
  };
  Bitmap frame;
  if (!direct && !Bitmap::Allocate(fit.sceneWidth, fit.sceneHeight, &frame))
    return noMemory(fit.sceneWidth, fit.sceneHeight);
  // Top-down, 32 bits a pixel: 0x00RRGGBB, the frame's own layout.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = std::max(width, 1);
  info.bmiHeader.biHeight = -std::max(height, 1);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP dib = CreateDIBSection(memoryDc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib || !bits) return noMemory(width, height);
  const HGDIOBJ old = SelectObject(memoryDc_, dib);
  if (!firstBitmap_) firstBitmap_ = old;
  if (dib_) DeleteObject(dib_);
  dib_ = dib;
  view_ = {static_cast<std::uint8_t*>(bits), width, height, std::max(width, 1) * 4};
  if (direct) frame = Bitmap(static_cast<std::uint32_t*>(bits), width, height, std::max(width, 1));
  frame_ = std::move(frame);
  fit_ = fit;
  direct_ = direct;
  return true;
}

void Win32Display::Show() {
  if (preview_) {
    ShowWindow(window_, SW_SHOWNA);
    return;
  }
  for (HWND c : covers_) ShowWindow(c, SW_SHOWNOACTIVATE);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(window_);
  // The keys held down as the window appears: the Enter that started the
  // program is often one of them.
  DisplayEvent e{DisplayEvent::Kind::Appeared};
  for (int vk = 1; vk < 256; ++vk)
    if (GetAsyncKeyState(vk) & 0x8000) e.keys.push_back(vk);
  pending_.push_back(std::move(e));
}

LRESULT CALLBACK Win32Display::WindowProc(HWND w, UINT message, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<Win32Display*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<Win32Display*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  return self ? self->Handle(w, message, wp, lp) : DefWindowProcW(w, message, wp, lp);
}

LRESULT Win32Display::Handle(HWND w, UINT message, WPARAM wp, LPARAM lp) {
  const bool scene = w == window_ || !window_;
  switch (message) {
    case WM_ERASEBKGND:
      if (!scene) break;
      return 1;  // the scene paints every pixel
    case WM_PAINT:
      if (!scene) break;
      {
        PAINTSTRUCT ps;
        BeginPaint(w, &ps);
        Blit({ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left, ps.rcPaint.bottom - ps.rcPaint.top});
        EndPaint(w, &ps);
      }
      return 0;
    case WM_CLOSE:
      pending_.push_back({DisplayEvent::Kind::CloseRequested});
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wp) pending_.push_back({DisplayEvent::Kind::CloseRequested});
      return 0;
    case WM_DESTROY:
      if (w == window_) gone_ = true;
      return 0;
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:
      monitorsChanged_ = true;
      return 0;
    case WM_MOUSEACTIVATE:
      // A click on a black monitor leaves the keyboard with the scene.
      if (!scene) return MA_NOACTIVATE;
      break;
    case WM_SYSCOMMAND:
      // No screen saver over the screen saver, no menu, no moving.
      if ((wp & 0xFFF0) == SC_SCREENSAVE || (wp & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
      if (preview_) break;
      PushInput(w, message, wp, lp);
      return message == WM_XBUTTONDOWN || message == WM_XBUTTONUP ? TRUE : 0;
    default:
      break;
  }
  return DefWindowProcW(w, message, wp, lp);
}

void Win32Display::PushInput(HWND w, UINT message, WPARAM wp, LPARAM lp) {
  using Kind = DisplayEvent::Kind;
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      DisplayEvent e{message == WM_KEYDOWN || message == WM_SYSKEYDOWN ? Kind::KeyDown : Kind::KeyUp};
      e.key = static_cast<int>(wp & 0xFF);
      pending_.push_back(e);
      return;
    }
    default: {
      const bool down = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
                        message == WM_XBUTTONDOWN;
      DisplayEvent e{down ? Kind::ButtonDown : Kind::ButtonUp};
      // A monitor without the scene is bare screen: a point outside it.
      e.at = w == window_ ? fit_.ToScene({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}) : Point{-1, -1};
      pending_.push_back(e);
      return;
    }
  }
}

void Win32Display::Wait(int timeoutMs, std::vector<DisplayEvent>* events) {
  MSG m;
  if (pending_.empty() && timeoutMs > 0 && !PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE)) {
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(timeoutMs) * 10000;  // relative, in 100 ns
    SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE);
    MsgWaitForMultipleObjectsEx(1, &timer_, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      pending_.push_back({DisplayEvent::Kind::CloseRequested});
      continue;
    }
    DispatchMessageW(&m);
  }
  const std::size_t first = events->size();
  std::move(pending_.begin(), pending_.end(), std::back_inserter(*events));
  pending_.clear();
  int width = view_.width, height = view_.height;
  bool renew = false;
  if (preview_) {
    // The parent is watched from here, not from the child, which may be
    // gone with it: a dialog whose process was killed takes its children
    // along, or leaves them to be found parentless.
    RECT r{};
    if (!gone_ && (!IsWindow(parent_) || !GetClientRect(parent_, &r))) gone_ = true;
    if (!gone_ && (r.right != width || r.bottom != height)) {
      MoveWindow(window_, 0, 0, r.right, r.bottom, FALSE);
      width = r.right;
      height = r.bottom;
    }
  } else if (const std::uint64_t now = GetTickCount64(); now - monitorsCheckedMs_ >= 1000) {
    // Not every system tells every window of a change of monitors (wine
    // does not), so they are looked at again once a second as well.
    monitorsCheckedMs_ = now;
    if (!SameRects(MonitorRects(), monitors_)) monitorsChanged_ = true;
  }
  if (!preview_ && monitorsChanged_) {
    monitorsChanged_ = false;
    const SIZE size = CoverMonitors();
    width = size.cx;
    height = size.cy;
    // The density may have changed with the monitor.
    facts_.dpi = DpiOf(window_);
    facts_.refreshHz = RefreshHz();
    renew = true;  // a new scene, even at the same size
  }
  if (gone_) {
    events->push_back({DisplayEvent::Kind::WindowGone});
    return;
  }
  if (renew || width != view_.width || height != view_.height) {
    std::string error;
    DisplayEvent e{DisplayEvent::Kind::Resized};
    if (!FitTo(width, height, &error)) {
      e = DisplayEvent{DisplayEvent::Kind::Failed};
      e.text = error;
    }
    if (e.kind == DisplayEvent::Kind::Resized || !preview_)
      events->insert(events->begin() + static_cast<std::ptrdiff_t>(first), std::move(e));
  }
}

void Win32Display::Blit(const Rect& r) {
  if (!windowDc_ || r.Empty()) return;
  BitBlt(windowDc_, r.x, r.y, r.w, r.h, memoryDc_, r.x, r.y, SRCCOPY);
}

bool Win32Display::Present(const DamageList& damage) {
  for (const Rect& r : damage.Rects())
    Blit(direct_ ? FrameCopier::ImageRect(r.Intersect(frame_.Bounds()), fit_.scaling, view_)
                 : copier_.Copy(frame_, r, fit_.scaling, view_));
  // What GDI has batched goes now, before the scene draws into the
  // section again.
  GdiFlush();
  return true;
}

void Win32Display::PresentAll() {
  if (!direct_) copier_.Copy(frame_, frame_.Bounds(), fit_.scaling, view_);
  // The whole window, so that what lies past the scaled frame is black too.
  Blit({0, 0, view_.width, view_.height});
  GdiFlush();
}

}  // namespace coderain
