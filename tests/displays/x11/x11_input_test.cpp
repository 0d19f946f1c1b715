// Xlib's headers define None and Bool, which GoogleTest's own headers use
// as names: Xlib first, then the macros go.
#include "displays/x11/x11_input.h"

#include "displays/x11/x11_connection.h"
#undef None
#undef Bool

#include <gtest/gtest.h>

#include <string>

namespace coderain {
namespace {

TEST(X11, WhatAnEventMeansToTheScene) {
  constexpr ::Window kScene = 0x200001, kCover = 0x200005, kSecond = 0x200009;
  const X11InputContext scaled{{{kScene, 0, FitOutput({3840, 2160})}, {kSecond, 3, FitOutput({1280, 1024})}}, 10, 20};
  const X11InputContext miniature{{{kScene, 0, FitOutput({725, 407, 0, 0, FitRule::MiniatureWhenSmall})}}, 10, 20};
  const auto button = [](int type, ::Window w, unsigned b, int x, int y) {
    XEvent ev{};
    ev.xbutton = XButtonEvent{};
    ev.xbutton.type = type;
    ev.xbutton.window = w;
    ev.xbutton.button = b;
    ev.xbutton.x = x;
    ev.xbutton.y = y;
    return ev;
  };
  XEvent key{};
  key.xkey.type = KeyPress;
  key.xkey.keycode = 38;
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.message_type = 10;
  close.xclient.data.l[0] = 20;
  XEvent otherMessage = close;
  otherMessage.xclient.data.l[0] = 21;
  XEvent expose{};
  expose.xexpose.type = Expose;
  expose.xexpose.window = kScene;
  XEvent exposeSecond = expose;
  exposeSecond.xexpose.window = kSecond;
  XEvent notLastExpose = expose;
  notLastExpose.xexpose.count = 2;
  XEvent map{};
  map.xmap.type = MapNotify;
  map.xmap.window = kScene;

  using K = DisplayEvent::Kind;
  struct Row {
    const char* what;
    XEvent ev;
    const X11InputContext& context;
    std::vector<K> kinds;
    Point at{};
    int key = 0;
    int screen = 0;
  };
  const Row rows[] = {
      {"a key", key, scaled, {K::KeyDown}, {}, 38},
      {"a button, in scene pixels", button(ButtonPress, kScene, 1, 3839, 1001), scaled, {K::ButtonDown}, {1919, 500}},
      {"in miniature", button(ButtonRelease, kScene, 3, 10, 3), miniature, {K::ButtonUp}, {20, 6}},
      {"on a black monitor: bare screen", button(ButtonPress, kCover, 1, 5, 5), scaled, {K::ButtonDown}, {-1, -1}},
      {"on a second scene: its screen", button(ButtonPress, kSecond, 1, 7, 9), scaled, {K::ButtonDown}, {7, 9}, 0, 3},
      {"the wheel does not click", button(ButtonPress, kScene, 4, 5, 5), scaled, {}},
      {"the window manager's close", close, scaled, {K::CloseRequested}},
      {"another message", otherMessage, scaled, {}},
      {"the last of a run of exposures", expose, scaled, {K::Exposed}},
      {"of the second scene", exposeSecond, scaled, {K::Exposed}, {}, 0, 3},
      {"an exposure with more to come", notLastExpose, scaled, {}},
      {"a map is the display's own", map, scaled, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    std::vector<DisplayEvent> events;
    TranslateInput(r.ev, r.context, &events);
    ASSERT_EQ(events.size(), r.kinds.size());
    if (events.empty()) continue;
    EXPECT_EQ(events[0].kind, r.kinds[0]);
    EXPECT_EQ(events[0].at.x, r.at.x);
    EXPECT_EQ(events[0].at.y, r.at.y);
    EXPECT_EQ(events[0].key, r.key);
    EXPECT_EQ(events[0].screen, r.screen);
  }
  // Exposures of a screen in a row are one; another screen's are its own.
  std::vector<DisplayEvent> events;
  for (const XEvent& e : {expose, expose, exposeSecond, exposeSecond}) TranslateInput(e, scaled, &events);
  EXPECT_EQ(events.size(), 2u);
}

TEST(X11, TheDesktopsDensityFromTheResourceDatabase) {
  struct Row {
    std::string resources;
    double dpi;
  };
  const Row rows[] = {
      {"Xft.dpi:\t192\n", 192},
      {"*customization:\t-color\nXft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n", 144},
      {"  Xft.dpi :  120.5  ", 120.5},
      {"Xft.dpi:\t96\nXft.dpi:\t192\n", 192},
      {"Xft.dpi:\t192\r\n", 192},
      {"", 0},
      {"*dpi:\t192\n", 0},
      {"Xft.dpix:\t192\n", 0},
      {"Xft.dpi\t192\n", 0},
      {"Xft.dpi:\n", 0},
      {"Xft.dpi:\tlarge\n", 0},
      {"Xft.dpi:\t192dpi\n", 0},
      {"Xft.dpi:\t-192\n", 0},
      {"Xft.dpi:\t0\n", 0},
      {"Xft.dpi:\tnan\n", 0},
      {"Xft.dpi:\tinf\n", 0},
      {"Xft.dpi:\t1e300\n", 0},
      {"Xft.dpi:\t192\nXft.dpi:\tjunk\n", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.resources);
    EXPECT_EQ(ResourceDpi(r.resources), r.dpi);
  }
}

}  // namespace
}  // namespace coderain
