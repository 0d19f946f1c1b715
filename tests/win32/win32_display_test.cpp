// The preview as the settings dialog shows it, read back in-process (wine
// does not show one process's drawing in another's child window): a parent
// window 152 x 112 inside, the Win32 display's preview run in it until the
// parent goes.
#include "displays/win32/win32_display.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "displays/win32/win32_input.h"
#include "host/scene_run.h"
#include "host/win32/message_driver.h"

namespace coderain {
namespace {

constexpr int kWidth = 152, kHeight = 112;

HWND MakeParent() {
  WNDCLASSW c{};
  c.lpfnWndProc = DefWindowProcW;
  c.hInstance = GetModuleHandleW(nullptr);
  c.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  c.lpszClassName = L"preview parent";
  RegisterClassW(&c);
  RECT r{0, 0, kWidth, kHeight};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  return CreateWindowW(c.lpszClassName, L"preview parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, r.right - r.left,
                       r.bottom - r.top, nullptr, nullptr, c.hInstance, nullptr);
}

// What the parent's timer saw, each time it read the child's pixels back.
struct Watch {
  HWND parent = nullptr;
  HWND child = nullptr;
  int reads = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, row by row
} g_watch;

bool Green(std::uint32_t p) { return (p & 0xFF00FFu) == 0 && (p & 0xFF00u) != 0; }

// picWatch's left frame line, scene column 1064 - 195 of a 1064-pixel
// scene shown 7 times as small, green from scene row 20 to 380.
bool FrameLineShows(const std::vector<std::uint32_t>& px) {
  for (int y = (20 + 6) / 7; y <= 380 / 7; ++y)
    if (!Green(px[static_cast<std::size_t>(y * kWidth + (kWidth * 7 - 195) / 7)])) return false;
  return true;
}

std::vector<std::uint32_t> ReadBack(HWND w) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HDC screen = GetDC(w), memory = CreateCompatibleDC(screen);
  const HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, kWidth, kHeight, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> px(p, p + kWidth * kHeight);
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(w, screen);
  for (std::uint32_t& v : px) v &= 0xFFFFFFu;
  return px;
}

TEST(Win32Preview, FillsTheParentInMiniatureAndEndsWithIt) {
  g_watch.parent = MakeParent();
  ASSERT_TRUE(g_watch.parent);
  LaunchRequest request;
  request.mode = LaunchRequest::Mode::Preview;
  request.window = reinterpret_cast<std::uintptr_t>(g_watch.parent);
  std::string error;
  std::unique_ptr<Win32Display> display = Win32Display::Open(request, &error);
  ASSERT_TRUE(display) << error;
  g_watch.child = display->Window();
  EXPECT_EQ(GetParent(g_watch.child), g_watch.parent);
  RECT r{};
  GetClientRect(g_watch.child, &r);
  EXPECT_EQ(r.right, kWidth);
  EXPECT_EQ(r.bottom, kHeight);
  EXPECT_EQ(display->Fit(display->Screens().front()).sceneWidth, kWidth * 7);

  // Every quarter second the pixels come back, until the frame line shows
  // or 8 s have passed; then the parent goes, and the preview with it.
  SetTimer(nullptr, 0, 250, [](HWND, UINT, UINT_PTR id, DWORD) {
    g_watch.pixels = ReadBack(g_watch.child);
    if (FrameLineShows(g_watch.pixels) || ++g_watch.reads >= 32) {
      KillTimer(nullptr, id);
      DestroyWindow(g_watch.parent);
    }
  });
  request.dataDir = CODERAIN_TEST_DATA;
  SceneRun run(display.get(), request, false, 7);
  const LoopEnd end = RunMessages(&run, display.get());
  EXPECT_EQ(end.status, 0) << end.message;
  EXPECT_FALSE(IsWindow(g_watch.parent));
  ASSERT_EQ(g_watch.pixels.size(), static_cast<std::size_t>(kWidth * kHeight));
  EXPECT_TRUE(FrameLineShows(g_watch.pixels));
  int green = 0, other = 0;
  for (std::uint32_t p : g_watch.pixels) {
    green += Green(p);
    other += (p >> 16) != (p & 0xFFu);  // neither green nor grey
  }
  EXPECT_GT(green, kWidth * kHeight / 20);
  EXPECT_EQ(other, 0);
}

// A display state notice as the system sends it: a POWERBROADCAST_SETTING
// holding one DWORD.
struct DisplayState {
  GUID setting;
  DWORD length;
  DWORD state;
};
static_assert(offsetof(DisplayState, state) == offsetof(POWERBROADCAST_SETTING, Data));
DisplayState Display(DWORD state) { return {kConsoleDisplayState, sizeof(DWORD), state}; }
LPARAM Note(DisplayState& d) { return reinterpret_cast<LPARAM>(&d); }

// What the system sends to end a full-screen scene (a close from the task
// list, the end of the session) reaches the loop as a close request; a
// session that goes on after all closes nothing. Its notices that nobody
// can see the screens rest every screen until none of them holds.
TEST(Win32Display, TheSystemsRequestsAndNoticesAreEvents) {
  using K = DisplayEvent::Kind;
  LaunchRequest request;
  std::string error;
  std::unique_ptr<Win32Display> display = Win32Display::Open(request, &error);
  ASSERT_TRUE(display) << error;
  display->Show();
  DisplayState off = Display(0), on = Display(1);
  const struct {
    UINT message;
    WPARAM wp;
    LPARAM lp;
    K kind;
    int count;
  } cases[] = {{WM_CLOSE, 0, 0, K::CloseRequested, 1},
               {WM_ENDSESSION, TRUE, 0, K::CloseRequested, 1},
               {WM_ENDSESSION, FALSE, 0, K::CloseRequested, 0},
               {WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1, K::Unseen, 1},
               {WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, Note(off), K::Unseen, 0},  // unseen already
               {WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1, K::Seen, 0},             // the display still off
               {WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, Note(on), K::Seen, 1}};
  for (const auto& c : cases) {
    std::vector<DisplayEvent> events;
    display->Dispatch(&events);  // what showing it brought
    events.clear();
    SendMessageW(display->Window(), c.message, c.wp, c.lp);
    display->Dispatch(&events);
    int count = 0;
    for (const DisplayEvent& e : events) count += e.kind == c.kind;
    EXPECT_EQ(count, c.count) << "message " << c.message << ", " << c.wp;
  }
}

// What a key or a button means, on a scene's window or on a black cover.
TEST(Win32Input, WhatAMessageMeansToTheScene) {
  using K = DisplayEvent::Kind;
  const OutputFit one = FitOutput({1920, 1080}), two = FitOutput({3840, 2160, 192});
  const OutputFit miniature = FitOutput({152, 112, 0, 0, FitRule::MiniatureWhenSmall});
  // The display's screens, for a click on a cover: the first one's.
  static constexpr int kScreens[] = {0, 4};
  struct Row {
    const char* what;
    UINT message;
    WPARAM wp;
    LPARAM lp;
    Win32Target target;
    bool input;
    K kind;
    int key;
    Point at;
  };
  const Row rows[] = {
      {"a key", WM_KEYDOWN, 'Q', 0, {0, &one}, true, K::KeyDown, 'Q', {}},
      {"a system key (Alt)", WM_SYSKEYDOWN, VK_MENU, 0, {0, &one}, true, K::KeyDown, VK_MENU, {}},
      {"a key up", WM_KEYUP, 'Q', 0, {0, &one}, true, K::KeyUp, 'Q', {}},
      {"a button, in scene pixels",
       WM_LBUTTONDOWN,
       0,
       MAKELPARAM(1001, 501),
       {0, &one},
       true,
       K::ButtonDown,
       0,
       {1001, 501}},
      {"at scale 2", WM_RBUTTONUP, 0, MAKELPARAM(3839, 1001), {0, &two}, true, K::ButtonUp, 0, {1919, 500}},
      {"in miniature", WM_MBUTTONDOWN, 0, MAKELPARAM(10, 3), {0, &miniature}, true, K::ButtonDown, 0, {70, 21}},
      {"an extra button", WM_XBUTTONUP, 0, MAKELPARAM(5, 5), {2, &one}, true, K::ButtonUp, 0, {5, 5}},
      {"on a black monitor: bare screen",
       WM_LBUTTONDOWN,
       0,
       MAKELPARAM(5, 5),
       {0, nullptr, kScreens},
       true,
       K::ButtonDown,
       0,
       {-1, -1}},
      {"a move is no input", WM_MOUSEMOVE, 0, MAKELPARAM(5, 5), {0, &one}, false, K::KeyDown, 0, {}},
      {"nor a character", WM_CHAR, 'q', 0, {0, &one}, false, K::KeyDown, 0, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    std::vector<DisplayEvent> events;
    EXPECT_EQ(TranslateInput(r.message, r.wp, r.lp, r.target, &events), r.input);
    ASSERT_EQ(events.size(), r.input ? 1u : 0u);
    if (!r.input) continue;
    EXPECT_EQ(events[0].kind, r.kind);
    EXPECT_EQ(events[0].key, r.key);
    EXPECT_EQ(events[0].at.x, r.at.x);
    EXPECT_EQ(events[0].at.y, r.at.y);
    EXPECT_EQ(events[0].screen, r.target.screen);
  }
}

// What a notice of the system's says of who can see the screens, from each
// state it may find them in.
TEST(Win32Input, WhatANoticeSays) {
  using N = Win32Notice;
  constexpr GUID kOther = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
  DisplayState off = Display(0), dimmed = Display(2), on = Display(1), unknown = Display(3), other = Display(0);
  other.setting = kOther;
  const Win32Sight seen{}, dark{true}, locked{false, true}, away{false, false, true}, both{false, true, true};
  struct Row {
    const char* what;
    UINT message;
    WPARAM wp;
    LPARAM lp;
    Win32Sight from;
    N notice;
    Win32Sight to;
  };
  const Row rows[] = {
      {"the display off", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, Note(off), seen, N::Sight, dark},
      {"dimmed", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, Note(dimmed), seen, N::Sight, dark},
      {"on again", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, Note(on), dark, N::Sight, seen},
      {"on, but locked", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, Note(on), {true, true}, N::Sight, locked},
      {"a state unknown", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, Note(unknown), seen, N::None, seen},
      {"another setting", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, Note(other), seen, N::None, seen},
      {"locked", WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1, seen, N::Sight, locked},
      {"unlocked", WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1, locked, N::Sight, seen},
      {"switched away while locked", WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, 1, locked, N::Sight, both},
      {"back, still locked", WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT, 1, both, N::Sight, locked},
      {"a remote session cut", WM_WTSSESSION_CHANGE, WTS_REMOTE_DISCONNECT, 1, seen, N::Sight, away},
      {"a logon says nothing", WM_WTSSESSION_CHANGE, WTS_SESSION_LOGON, 1, locked, N::None, locked},
      {"the power source", WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0, dark, N::Power, dark},
      {"a suspension says nothing", WM_POWERBROADCAST, PBT_APMSUSPEND, 0, seen, N::None, seen},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Win32Sight sight = r.from;
    EXPECT_EQ(TranslateNotice(r.message, r.wp, r.lp, &sight), r.notice);
    EXPECT_TRUE(sight == r.to) << sight.displayDark << sight.locked << sight.away;
  }
}

// The .scr that CODERAIN_SCR names: its name for the Screen Saver Settings
// list, its version and its DPI awareness.
TEST(Win32Resources, NameVersionAndManifest) {
  const wchar_t* scr = _wgetenv(L"CODERAIN_SCR");
  if (!scr) GTEST_SKIP() << "CODERAIN_SCR names no screen saver";
  const HMODULE m = LoadLibraryExW(scr, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_TRUE(m);
  wchar_t name[64] = {};
  ASSERT_GT(LoadStringW(m, 1, name, 64), 0);
  EXPECT_STREQ(name, L"coderain");
  const auto resource = [&](LPCWSTR type) -> std::string {
    const HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(1), type);
    if (!r) return {};
    return {static_cast<const char*>(LockResource(LoadResource(m, r))), SizeofResource(m, r)};
  };
  const std::string version = resource(RT_VERSION);
  const std::size_t at = version.find("\xBD\x04\xEF\xFE");  // VS_FIXEDFILEINFO's signature
  ASSERT_NE(at, std::string::npos);
  VS_FIXEDFILEINFO info;
  std::memcpy(&info, version.data() + at, sizeof info);
  EXPECT_EQ(std::to_string(HIWORD(info.dwFileVersionMS)) + "." + std::to_string(LOWORD(info.dwFileVersionMS)),
            CODERAIN_VERSION);
  EXPECT_NE(resource(RT_MANIFEST).find("PerMonitorV2"), std::string::npos);
}

}  // namespace
}  // namespace coderain
