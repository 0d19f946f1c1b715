#include "displays/web/web_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace coderain {
namespace {

using K = DisplayEvent::Kind;

// One report of the page's listeners: a key going down ('d'), repeating
// ('r') or up ('u'), or the page losing the keyboard ('b').
struct Heard {
  char what;
  int key = 0;
};

// The events as "down 5", "up 5"; then what Appeared would hold.
std::string EventsFor(const std::vector<Heard>& heard) {
  WebInput input;
  std::vector<DisplayEvent> events;
  for (const Heard& h : heard) {
    if (h.what == 'b')
      input.Blur(&events);
    else
      input.Key(h.what != 'u', h.key, h.what == 'r', &events);
  }
  std::string out;
  for (const DisplayEvent& e : events)
    out += (e.kind == K::KeyDown ? "down " : e.kind == K::KeyUp ? "up " : "? ") + std::to_string(e.key) + ", ";
  out += "held";
  for (int key : input.Appeared().keys) out += " " + std::to_string(key);
  return out;
}

TEST(WebInput, KeysAsTheSceneCountsThem) {
  const struct {
    const char* what;
    std::vector<Heard> heard;
    const char* events;
  } rows[] = {
      {"a press and a release", {{'d', 5}, {'u', 5}}, "down 5, up 5, held"},
      {"a key pressed before the scene appears is held then",
       {{'d', 3}, {'d', 4}, {'u', 3}},
       "down 3, down 4, up 3, held 4"},
      {"the browser's repeats of a key are no presses", {{'d', 5}, {'r', 5}, {'r', 5}}, "down 5, held 5"},
      {"a key held from before the page had the keyboard: only its repeats are heard",
       {{'r', 7}, {'r', 7}, {'u', 7}, {'d', 7}},
       "up 7, down 7, held 7"},
      {"losing the keyboard lets go of the keys down",
       {{'d', 5}, {'r', 8}, {'b'}, {'r', 5}},
       "down 5, up 5, up 8, held 5"},
  };
  for (const auto& r : rows) EXPECT_EQ(EventsFor(r.heard), r.events) << r.what;
}

TEST(WebInput, ButtonsAtScenePixelsOrOnTheBareScreen) {
  // A 3840x2160 window shows the scene twice as large.
  const OutputFit fit = FitOutput({3840, 2160});
  std::vector<DisplayEvent> events;
  WebInput::Button(true, {101, 51}, 0, &fit, &events);
  WebInput::Button(false, {3839, 2159}, 0, &fit, &events);
  WebInput::Button(true, {10, 10}, 0, nullptr, &events);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].kind, K::ButtonDown);
  EXPECT_EQ(events[0].at.x, 50);
  EXPECT_EQ(events[0].at.y, 25);
  EXPECT_EQ(events[1].kind, K::ButtonUp);
  EXPECT_EQ(events[1].at.x, 1919);
  EXPECT_EQ(events[1].at.y, 1079);
  // Where no scene shows, the bare screen: outside any scene.
  EXPECT_EQ(events[2].at.x, -1);
  EXPECT_EQ(events[2].at.y, -1);
}

}  // namespace
}  // namespace coderain
