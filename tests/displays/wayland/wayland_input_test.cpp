// A headless compositor has no pointer to click with: what a click means
// is checked here, the keys end to end.
#include "displays/wayland/wayland_input.h"

#include <gtest/gtest.h>

#include <vector>

namespace coderain {
namespace {

using K = DisplayEvent::Kind;
using S = WaylandInput::Surface;

TEST(WaylandInput, ButtonsAtScenePixelsAndCoversAsBareScreen) {
  const OutputFit one = FitOutput({1920, 1080, 96});
  const OutputFit two = FitOutput({3840, 2160, 192});  // a scale-2 output: the buffer at 2x
  struct Row {
    const char* what;
    S surface;
    double x, y;
    const OutputFit& fit;
    int bufferScale;
    Point at;
  };
  const Row rows[] = {
      {"on the scene", S::Scene, 100.5, 7.25, one, 1, {100, 7}},
      {"on a scale-2 output: logical pixels are scene pixels", S::Scene, 1919.75, 1079.5, two, 2, {1919, 1079}},
      {"--scale 2 on a scale-1 output", S::Scene, 1001, 501, FitOutput({1920, 1080, 96, 2}), 1, {500, 250}},
      {"on a cover", S::Cover, 10, 10, one, 1, {-1, -1}},
      {"left of the scene", S::Scene, -0.5, 3, one, 1, {-1, -1}},
  };
  for (const Row& r : rows) {
    WaylandInput input;
    std::vector<DisplayEvent> events;
    input.PointerAt(r.surface, 0, 0);
    input.PointerMoved(r.x, r.y);
    input.Button(true, 4, r.fit, r.bufferScale, &events);
    input.Button(false, 4, r.fit, r.bufferScale, &events);
    ASSERT_EQ(events.size(), 2u) << r.what;
    EXPECT_EQ(events[0].kind, K::ButtonDown) << r.what;
    EXPECT_EQ(events[1].kind, K::ButtonUp) << r.what;
    EXPECT_EQ(events[1].at.x, r.at.x) << r.what;
    EXPECT_EQ(events[1].at.y, r.at.y) << r.what;
    EXPECT_EQ(events[1].screen, 4) << r.what;
  }
}

TEST(WaylandInput, OnlyTheFirstEntrySaysWhichKeysWereHeld) {
  WaylandInput input;
  std::vector<DisplayEvent> events;
  const std::uint32_t held[] = {28, 30};
  input.KeyboardEntered(held, &events);
  input.Key(28, false, &events);
  input.KeyboardEntered(held, &events);  // the keyboard back from a cover, or a new one
  input.Key(30, true, &events);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].kind, K::Appeared);
  EXPECT_EQ(events[0].keys, (std::vector<int>{28, 30}));
  EXPECT_EQ(events[1].kind, K::KeyUp);
  EXPECT_EQ(events[2].kind, K::KeyDown);
  EXPECT_EQ(events[2].key, 30);
}

}  // namespace
}  // namespace coderain
