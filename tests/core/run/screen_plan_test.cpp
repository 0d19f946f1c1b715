#include "core/run/screen_plan.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace coderain {
namespace {

using M = LaunchRequest::Mode;

// Monitors in, the plan out.
TEST(ScreenPlan, WhichMonitorShowsWhat) {
  const Rect a{0, 0, 1920, 1080}, b{1920, 0, 1280, 1024}, aRight{1280, 0, 1920, 1080}, bLeft{0, 0, 1280, 1024};
  const Rect over{960, 0, 1920, 1080}, neg{-1280, -200, 1280, 1024}, dot{0, 0, 1, 1};
  std::vector<Rect> twenty;
  for (int i = 0; i < 20; ++i) twenty.push_back({i * 800, 0, 800, 600});
  struct Row {
    const char* what;
    M mode;
    bool every;
    std::vector<Rect> monitors;
    std::vector<PlacedScene> scenes;
    std::vector<int> stay;
    std::vector<ScreenPlan::Move> moves;
    std::vector<Rect> added, covered;
    std::vector<int> removed;
    std::vector<std::string> names{};
    std::string output{};
  };
  const M own = M::OwnWindow;
  const std::vector<Rect> rest(twenty.begin() + 1, twenty.end());
  const Row rows[] = {
      {"start: one scene, the other covered", own, false, {a, b}, {}, {}, {}, {a}, {b}, {}},
      {"start, every monitor", own, true, {a, b}, {}, {}, {}, {a, b}, {}, {}},
      {"a mirror counts once", own, true, {a, b, a}, {}, {}, {}, {a, b}, {}, {}},
      {"a mirror of the primary: not covered", own, false, {a, a, b}, {}, {}, {}, {a}, {b}, {}},
      {"overlapping monitors are two", own, true, {a, over}, {}, {}, {}, {a, over}, {}, {}},
      {"a 1x1 monitor", own, false, {dot}, {}, {}, {}, {dot}, {}, {}},
      {"a negative origin", own, false, {a, neg}, {{0, a}}, {0}, {}, {}, {neg}, {}},
      {"the primary moved", own, false, {aRight, bLeft}, {{0, a}}, {}, {{0, aRight}}, {}, {bLeft}, {}},
      {"hot-plug: a new scene", own, true, {a, b}, {{0, a}}, {0}, {}, {b}, {}, {}},
      {"unplugged: its scene goes", own, true, {a}, {{0, a}, {3, b}}, {0}, {}, {}, {}, {3}},
      {"the primary unplugged", own, true, {b}, {{0, a}, {3, b}}, {3}, {}, {}, {}, {0}},
      {"swapped: both move", own, true, {aRight, bLeft}, {{0, a}, {1, b}}, {}, {{0, aRight}, {1, bLeft}}, {}, {}, {}},
      {"one moved, one came", own, true, {a, over, b}, {{0, a}, {1, neg}}, {0}, {{1, over}}, {b}, {}, {}},
      {"twenty monitors", own, true, twenty, {{0, twenty[0]}}, {0}, {}, rest, {}, {}},
      {"twenty, one scene", own, false, twenty, {}, {}, {}, {twenty[0]}, rest, {}},
      {"none reported: it stays", own, true, {}, {{0, a}}, {0}, {}, {}, {}, {}},
      {"a lent window stays", M::LentWindow, true, {b, a}, {{0, {0, 0, 640, 480}}}, {0}, {}, {}, {}, {}},
      {"a preview: nothing covered", M::Preview, false, {a, b}, {}, {}, {}, {a}, {}, {}},
      {"--output: the named one, the primary covered", own, false, {a, b}, {}, {}, {}, {b}, {a}, {}, {"A", "B"}, "B"},
      {"--output moved", own, false, {aRight, bLeft}, {{0, b}}, {}, {{0, bLeft}}, {}, {aRight}, {}, {"A", "B"}, "B"},
      {"--output gone: the primary", own, false, {a}, {{0, b}}, {}, {{0, a}}, {}, {}, {}, {"A"}, "B"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    LaunchRequest request;
    request.mode = r.mode;
    request.everyMonitor = r.every;
    request.output = r.output;
    const ScreenPlan plan = PlanScreens(r.monitors, r.scenes, request, r.names);
    EXPECT_EQ(plan.stay, r.stay);
    EXPECT_EQ(plan.moves, r.moves);
    EXPECT_EQ(plan.added, r.added);
    EXPECT_EQ(plan.covered, r.covered);
    EXPECT_EQ(plan.removed, r.removed);
  }
}

TEST(ScreenPlan, TheRulesAroundIt) {
  using K = DisplayEvent::Kind;
  // New scenes and sizes go before the rest of their batch, in order; what
  // came before the batch stays first.
  std::vector<DisplayEvent> events{{K::KeyUp},      {K::KeyDown},    {K::ScreenAdded, 2},
                                   {K::Exposed, 2}, {K::Resized, 0}, {K::ScreenRemoved, 1}};
  FitsFirst(&events, 1);
  std::vector<K> kinds;
  for (const DisplayEvent& e : events) kinds.push_back(e.kind);
  EXPECT_EQ(kinds, (std::vector<K>{K::KeyUp, K::ScreenAdded, K::Resized, K::KeyDown, K::Exposed, K::ScreenRemoved}));

  // The request and the mode's fit in the facts; the same size keeps its
  // scene, a new rate alone too.
  LaunchRequest preview;
  preview.mode = M::Preview;
  preview.scale = 3;
  const OutputFacts facts = WindowFacts(preview, 152, 112, 0, 60);
  EXPECT_EQ(FitOutput(facts).scaling.down, 7);
  EXPECT_EQ(facts.requestedScale, 3);
  EXPECT_FALSE(NeedsRefit(facts, WindowFacts(preview, 152, 112, 0, 75)));
  EXPECT_TRUE(NeedsRefit(facts, WindowFacts(preview, 152, 113, 0, 60)));
  EXPECT_TRUE(NeedsRefit(facts, WindowFacts(preview, 152, 112, 96, 60)));

  // An output named and not there: one line naming those that are.
  LaunchRequest named;
  named.output = "NOSUCH";
  const std::vector<std::string> two{"DUMMY0", "DUMMY1"}, none{""};
  EXPECT_EQ(MissingOutput(two, named), "--output NOSUCH: no such output (there are DUMMY0, DUMMY1)");
  EXPECT_EQ(MissingOutput(none, named), "--output NOSUCH: no such output (there are none)");
  named.output = "DUMMY1";
  EXPECT_EQ(MissingOutput(two, named), "");
}

// Named outputs in, the plan out: every output is its own, a scene is
// known by its output.
TEST(ScreenPlan, WhichNamedOutputShowsWhat) {
  const OutputById a{1, "A", true}, b{2, "B", true}, c{3, "C", true}, bLate{2, "B", false}, aLate{1, "A", false};
  struct Row {
    const char* what;
    bool every;
    const char* output;
    std::vector<OutputById> outputs;
    std::vector<std::uint32_t> scenes;
    std::vector<OutputPlan::Move> moves;
    std::vector<std::uint32_t> added, covered;
    std::vector<std::size_t> removed;
  };
  const Row rows[] = {
      {"start: the first output, the others covered", false, "", {a, b, c}, {}, {}, {1}, {2, 3}, {}},
      {"start: the first ready one", false, "", {aLate, b}, {}, {}, {2}, {}, {}},
      {"start: none ready, placed by the display", false, "", {aLate}, {}, {}, {0}, {}, {}},
      {"--output by name", false, "B", {a, b, c}, {}, {}, {2}, {1, 3}, {}},
      {"--output not ready yet", false, "B", {a, bLate}, {}, {}, {2}, {1}, {}},
      {"where it stands it stays", false, "", {a, b}, {2}, {}, {}, {1}, {}},
      {"its output gone: to the first", false, "", {b, c}, {1}, {{0, 2}}, {}, {3}, {}},
      {"its output forgotten: to the first", false, "", {b, c}, {0}, {{0, 2}}, {}, {3}, {}},
      {"gone, none ready: it waits", false, "", {bLate}, {1}, {}, {}, {}, {}},
      {"the named output back", false, "B", {a, b}, {1}, {{0, 2}}, {}, {1}, {}},
      {"every output", true, "", {a, b, c}, {}, {}, {1, 2, 3}, {}, {}},
      {"every ready output", true, "", {a, bLate}, {}, {}, {1}, {}, {}},
      {"every output, --output aside", true, "B", {a, b}, {}, {}, {1, 2}, {}, {}},
      {"an output added", true, "", {a, b}, {1}, {}, {2}, {}, {}},
      {"an output removed: its scene goes", true, "", {b, c}, {1, 2, 3}, {}, {}, {}, {0}},
      {"all removed", true, "", {}, {1, 2}, {}, {}, {}, {0, 1}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    LaunchRequest request;
    request.everyMonitor = r.every;
    request.output = r.output;
    const OutputPlan plan = PlanOutputs(r.outputs, r.scenes, request);
    EXPECT_EQ(plan.moves, r.moves);
    EXPECT_EQ(plan.added, r.added);
    EXPECT_EQ(plan.covered, r.covered);
    EXPECT_EQ(plan.removed, r.removed);
  }
}

}  // namespace
}  // namespace coderain
