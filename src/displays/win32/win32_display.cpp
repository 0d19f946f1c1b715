#include "displays/win32/win32_display.h"

#include <wtsapi32.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "core/run/screen_plan.h"

namespace coderain {

namespace {

constexpr wchar_t kClassName[] = L"coderain";

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

bool SameRect(const RECT& x, const RECT& y) {
  return x.left == y.left && x.top == y.top && x.right == y.right && x.bottom == y.bottom;
}

// The monitors' rectangles on the virtual screen, the primary first, each
// once: a monitor that mirrors another shows what that one shows.
std::vector<RECT> MonitorRects() {
  std::vector<RECT> rects;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR m, HDC, LPRECT, LPARAM data) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoW(m, &info)) return TRUE;
        auto* list = reinterpret_cast<std::vector<RECT>*>(data);
        if (std::any_of(list->begin(), list->end(), [&](const RECT& r) { return SameRect(r, info.rcMonitor); }))
          return TRUE;
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

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }
RECT ToRECT(const Rect& r) { return {r.x, r.y, r.Right(), r.Bottom()}; }

std::vector<Rect> ToRects(const std::vector<RECT>& rects) {
  std::vector<Rect> out;
  for (const RECT& r : rects) out.push_back(ToRect(r));
  return out;
}

// The title of a scene's window, in the system's characters.
const std::wstring& SceneTitle() {
  static const std::wstring title(kSceneTitle, kSceneTitle + std::char_traits<char>::length(kSceneTitle));
  return title;
}

bool SameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameRect);
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

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

Win32Display::Win32Display(const LaunchRequest& request)
    : MessageDisplay(ModeOf(request.mode)),
      request_(request),
      preview_(request.mode == LaunchRequest::Mode::Preview),
      refreshHz_(RefreshHz()) {
  parent_ = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(request.window));
}

Win32Display::~Win32Display() {
  Unlisten();
  for (const auto& [screen, s] : windows_) {
    if (s.memoryDc) {
      SelectObject(s.memoryDc, s.firstBitmap);
      DeleteDC(s.memoryDc);
    }
    if (s.dib) DeleteObject(s.dib);
  }
  for (HWND c : covers_) DestroyWindow(c);
  std::vector<HWND> scenes;
  for (const auto& [screen, s] : windows_) scenes.push_back(s.window);
  windows_.clear();
  for (HWND w : scenes)
    if (IsWindow(w)) DestroyWindow(w);
}

std::unique_ptr<Win32Display> Win32Display::Open(const LaunchRequest& request, std::string* error) {
  std::unique_ptr<Win32Display> d(new Win32Display(request));
  if (!RegisterClassOnce(&Win32Display::WindowProc)) {
    *error = "cannot register the window class";
    return nullptr;
  }
  if (!(d->preview_ ? d->CreatePreview(error) : d->CreateOwnWindows(error))) return nullptr;
  d->Listen();
  return d;
}

void Win32Display::Listen() {
  listener_ = Window();
  if (!listener_) return;
  // The system says the display's state at once.
  displayNotices_ = RegisterPowerSettingNotification(listener_, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
  // Where either is refused, the screens are taken as seen: nothing worse.
  sessionNotices_ = WTSRegisterSessionNotification(listener_, NOTIFY_FOR_THIS_SESSION);
}

void Win32Display::Unlisten() {
  if (displayNotices_) UnregisterPowerSettingNotification(displayNotices_);
  if (sessionNotices_) WTSUnRegisterSessionNotification(listener_);
  displayNotices_ = nullptr;
  sessionNotices_ = false;
  listener_ = nullptr;
}

bool Win32Display::Notice(UINT message, WPARAM wp, LPARAM lp) {
  const bool unseen = sight_.Unseen();
  switch (TranslateNotice(message, wp, lp, &sight_)) {
    case Win32Notice::None:
      return false;
    case Win32Notice::Power:
      CheckPower();
      return true;
    case Win32Notice::Sight:
      if (sight_.Unseen() != unseen)
        for (const int screen : Screens())
          pending_.push_back({unseen ? DisplayEvent::Kind::Seen : DisplayEvent::Kind::Unseen, screen});
      return true;
  }
  return false;
}

void Win32Display::CheckPower() {
  SYSTEM_POWER_STATUS status{};
  if (!GetSystemPowerStatus(&status) || OnBattery(status) == onBattery_) return;
  onBattery_ = !onBattery_;
  DisplayEvent e{DisplayEvent::Kind::PowerChanged};
  e.onBattery = onBattery_;
  pending_.push_back(std::move(e));
}

HWND Win32Display::Window() const { return windows_.empty() ? nullptr : windows_.begin()->second.window; }

int Win32Display::ScreenOf(HWND w) const {
  for (const auto& [screen, s] : windows_)
    if (s.window == w) return screen;
  return -1;
}

OutputFacts Win32Display::FactsFor(HWND w, int width, int height) const {
  return WindowFacts(request_, width, height, preview_ ? 0 : DpiOf(w), refreshHz_);
}

bool Win32Display::AddWindow(HWND w, const RECT& monitor, int width, int height, std::string* error) {
  const int screen = nextScreen_++;
  SceneWindow& s = windows_[screen];
  s.window = w;
  s.monitor = monitor;
  s.windowDc = GetDC(w);
  s.memoryDc = CreateCompatibleDC(nullptr);
  if (s.memoryDc && AddScreen(screen, FactsFor(w, width, height), error)) return true;
  if (!s.memoryDc) *error = "cannot create the window: out of system resources";
  DropWindow(screen);
  return false;
}

void Win32Display::DropWindow(int screen) {
  const auto it = windows_.find(screen);
  if (it == windows_.end()) return;
  const SceneWindow s = it->second;
  // Gone from the list first: its end is no loss of the scene's window.
  windows_.erase(it);
  if (HasScreen(screen)) RemoveScreen(screen);
  if (s.memoryDc) {
    if (s.firstBitmap) SelectObject(s.memoryDc, s.firstBitmap);
    DeleteDC(s.memoryDc);
  }
  if (s.dib) DeleteObject(s.dib);
  const bool listening = s.window == listener_;
  if (listening) Unlisten();
  DestroyWindow(s.window);
  // The notices go on to the first window left.
  if (listening) Listen();
}

HWND Win32Display::OpenSceneWindow(const RECT& m) {
  return CreateWindowExW(WS_EX_TOPMOST, kClassName, SceneTitle().c_str(), WS_POPUP, m.left, m.top, Width(m), Height(m),
                         nullptr, nullptr, GetModuleHandleW(nullptr), this);
}

bool Win32Display::CreateOwnWindows(std::string* error) {
  monitors_ = MonitorRects();
  const ScreenPlan plan = PlanScreens(ToRects(monitors_), {}, request_);
  for (const Rect& r : plan.added) {
    const RECT m = ToRECT(r);
    const HWND w = OpenSceneWindow(m);
    if (!w) {
      *error = "cannot create the window (error " + std::to_string(GetLastError()) + ")";
      return false;
    }
    if (!AddWindow(w, m, Width(m), Height(m), error)) return false;
  }
  PlaceCovers(plan.covered);
  return true;
}

bool Win32Display::CreatePreview(std::string* error) {
  RECT r{};
  if (!IsWindow(parent_) || !GetClientRect(parent_, &r)) {
    *error = "cannot draw into window " + std::to_string(reinterpret_cast<std::uintptr_t>(parent_)) +
             ": there is no such window";
    return false;
  }
  // Disabled: the dialog's clicks stay the dialog's.
  const HWND w = CreateWindowExW(0, kClassName, L"coderain preview", WS_CHILD | WS_DISABLED, 0, 0, r.right, r.bottom,
                                 parent_, nullptr, GetModuleHandleW(nullptr), this);
  if (!w) {
    *error = "cannot create the preview window (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  return AddWindow(w, r, r.right, r.bottom, error);
}

void Win32Display::PlaceCovers(const std::vector<Rect>& monitors) {
  const bool shown = IsWindowVisible(Window());
  while (covers_.size() > monitors.size()) {
    DestroyWindow(covers_.back());
    covers_.pop_back();
  }
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const RECT m = ToRECT(monitors[i]);
    if (i >= covers_.size()) {
      const HWND c = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, L"", WS_POPUP, m.left, m.top,
                                     Width(m), Height(m), nullptr, nullptr, GetModuleHandleW(nullptr), this);
      if (!c) break;  // that monitor keeps the desktop: nothing worse
      covers_.push_back(c);
    }
    SetWindowPos(covers_[i], HWND_TOPMOST, m.left, m.top, Width(m), Height(m),
                 SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : 0));
  }
}

PixelLayout Win32Display::Layout(int) const { return PixelLayout{}; }

bool Win32Display::MakeImages(int screen, int width, int height, std::string* error) {
  SceneWindow& s = windows_.at(screen);
  // Top-down, 32 bits a pixel: 0x00RRGGBB, the frame's own layout.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = std::max(width, 1);
  info.bmiHeader.biHeight = -std::max(height, 1);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP dib = CreateDIBSection(s.memoryDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib || !bits) {
    if (dib) DeleteObject(dib);
    *error = NoMemoryFor(width, height);
    return false;
  }
  const HGDIOBJ old = SelectObject(s.memoryDc, dib);
  if (!s.firstBitmap) s.firstBitmap = old;
  if (s.dib) DeleteObject(s.dib);
  s.dib = dib;
  s.view = {static_cast<std::uint8_t*>(bits), width, height, std::max(width, 1) * 4};
  return true;
}

ImageView Win32Display::Image(int screen, int) const { return windows_.at(screen).view; }

int Win32Display::FreeImage(int) { return 0; }

void Win32Display::Blit(const SceneWindow& s, const Rect& r) {
  if (!s.windowDc || r.Empty()) return;
  BitBlt(s.windowDc, r.x, r.y, r.w, r.h, s.memoryDc, r.x, r.y, SRCCOPY);
}

void Win32Display::Send(int screen, int, std::span<const Rect> rects, bool whole) {
  const SceneWindow& s = windows_.at(screen);
  if (whole) Blit(s, {0, 0, s.view.width, s.view.height});
  for (const Rect& r : rects) Blit(s, r);
  // What GDI has batched goes now, before the scene draws into the
  // section again.
  GdiFlush();
}

void Win32Display::Show() {
  CheckPower();
  if (preview_) {
    ShowWindow(Window(), SW_SHOWNA);
    return;
  }
  for (HWND c : covers_) ShowWindow(c, SW_SHOWNOACTIVATE);
  for (const auto& [screen, s] : windows_) ShowWindow(s.window, SW_SHOW);
  SetForegroundWindow(Window());
  SetFocus(Window());
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
  const int screen = ScreenOf(w);
  const bool cover = std::find(covers_.begin(), covers_.end(), w) != covers_.end();
  if ((message == WM_POWERBROADCAST || message == WM_WTSSESSION_CHANGE) && Notice(message, wp, lp))
    return message == WM_POWERBROADCAST ? TRUE : 0;
  switch (message) {
    case WM_ERASEBKGND:
      if (screen < 0) break;
      return 1;  // the scene paints every pixel
    case WM_PAINT:
      if (screen < 0) break;
      {
        PAINTSTRUCT ps;
        BeginPaint(w, &ps);
        const RECT& p = ps.rcPaint;
        Blit(windows_.at(screen), {p.left, p.top, p.right - p.left, p.bottom - p.top});
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
      if (screen >= 0) gone_ = true;
      return 0;
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:
      monitorsChanged_ = true;
      return 0;
    case WM_MOUSEACTIVATE:
      // A click on a black monitor leaves the keyboard with the scene.
      if (cover) return MA_NOACTIVATE;
      break;
    case WM_SYSCOMMAND:
      // No screen saver over the screen saver, no menu, no moving.
      if ((wp & 0xFFF0) == SC_SCREENSAVE || (wp & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    default:
      break;
  }
  if (!preview_ && (screen >= 0 || cover)) {
    const std::vector<int> screens = screen >= 0 ? std::vector<int>{} : Screens();
    const Win32Target target{screen, screen >= 0 ? &Fit(screen) : nullptr, screens};
    if (TranslateInput(message, wp, lp, target, &pending_))
      return message == WM_XBUTTONDOWN || message == WM_XBUTTONUP ? TRUE : 0;
  }
  return DefWindowProcW(w, message, wp, lp);
}

void Win32Display::FollowMonitors(std::vector<DisplayEvent>* events) {
  monitors_ = MonitorRects();
  std::vector<PlacedScene> placed;
  for (const auto& [screen, s] : windows_) placed.push_back({screen, ToRect(s.monitor)});
  const ScreenPlan plan = PlanScreens(ToRects(monitors_), placed, request_);
  const auto place = [&](int screen, const RECT& m) {
    SceneWindow& s = windows_.at(screen);
    s.monitor = m;
    SetWindowPos(s.window, HWND_TOPMOST, m.left, m.top, Width(m), Height(m), SWP_NOACTIVATE);
    // A new scene, even at the same size: the density and the rate may
    // have changed with the monitors.
    if (auto e = Refit(screen, FactsFor(s.window, Width(m), Height(m)))) events->push_back(std::move(*e));
  };
  for (int screen : plan.stay) place(screen, windows_.at(screen).monitor);
  for (const ScreenPlan::Move& move : plan.moves) place(move.screen, ToRECT(move.to));
  const bool shown = IsWindowVisible(Window());
  for (const Rect& r : plan.added) {
    const RECT m = ToRECT(r);
    const HWND w = OpenSceneWindow(m);
    std::string error;
    // A monitor whose scene cannot be had keeps what it shows.
    if (!w || !AddWindow(w, m, Width(m), Height(m), &error)) continue;
    if (shown) ShowWindow(w, SW_SHOWNOACTIVATE);
    events->push_back({DisplayEvent::Kind::ScreenAdded, nextScreen_ - 1});
    if (sight_.Unseen()) events->push_back({DisplayEvent::Kind::Unseen, nextScreen_ - 1});
  }
  for (int screen : plan.removed) {
    DropWindow(screen);
    events->push_back({DisplayEvent::Kind::ScreenRemoved, screen});
  }
  PlaceCovers(plan.covered);
}

void Win32Display::Dispatch(std::vector<DisplayEvent>* events) {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      pending_.push_back({DisplayEvent::Kind::CloseRequested});
      continue;
    }
    DispatchMessageW(&m);
  }
  const std::uint64_t now = GetTickCount64();
  const bool second = now - checkedMs_ >= 1000;
  if (second) {
    checkedMs_ = now;
    CheckPower();
  }
  const std::size_t first = events->size();
  std::move(pending_.begin(), pending_.end(), std::back_inserter(*events));
  pending_.clear();
  std::vector<DisplayEvent> fits;
  if (preview_) {
    // The parent is watched from here, not from the child, which may be
    // gone with it: a dialog whose process was killed takes its children
    // along, or leaves them to be found parentless.
    RECT r{};
    if (!gone_ && (!IsWindow(parent_) || !GetClientRect(parent_, &r))) gone_ = true;
    if (!gone_ && NeedsRefit(Facts(windows_.begin()->first), FactsFor(Window(), r.right, r.bottom))) {
      MoveWindow(Window(), 0, 0, r.right, r.bottom, FALSE);
      if (auto e = Refit(windows_.begin()->first, FactsFor(Window(), r.right, r.bottom))) fits.push_back(std::move(*e));
    }
  } else {
    // Not every system tells every window of a change of monitors (wine
    // does not), so they are looked at again once a second as well.
    if (second && !SameRects(MonitorRects(), monitors_)) monitorsChanged_ = true;
    if (monitorsChanged_) {
      monitorsChanged_ = false;
      // The rate may have changed with the monitors.
      refreshHz_ = RefreshHz();
      FollowMonitors(&fits);
    }
  }
  if (gone_) {
    events->push_back({DisplayEvent::Kind::WindowGone});
    return;
  }
  events->insert(events->end(), fits.begin(), fits.end());
  FitsFirst(events, first);
}

const DisplayRow<MessageDisplay>& Win32DisplayRow() {
  static const DisplayRow<MessageDisplay> row{
      "win32",
      [](const LaunchRequest&) { return Probe::Named; },
      nullptr,
      false,
      [](const LaunchRequest& request, bool* answered, std::string* error) -> std::unique_ptr<MessageDisplay> {
        *answered = true;
        return Win32Display::Open(request, error);
      },
  };
  return row;
}

}  // namespace coderain
