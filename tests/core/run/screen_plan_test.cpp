#include "core/run/screen_plan.h"

#include <gtest/gtest.h>

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
  };
  const Row rows[] = {
      {"start: the primary's scene, the other covered", M::OwnWindow, false, {a, b}, {}, {}, {}, {a}, {b}, {}},
      {"start, every monitor", M::OwnWindow, true, {a, b}, {}, {}, {}, {a, b}, {}, {}},
      {"a mirror counts once", M::OwnWindow, true, {a, b, a}, {}, {}, {}, {a, b}, {}, {}},
      {"a mirror of the primary is not covered", M::OwnWindow, false, {a, a, b}, {}, {}, {}, {a}, {b}, {}},
      {"overlapping monitors are two", M::OwnWindow, true, {a, over}, {}, {}, {}, {a, over}, {}, {}},
      {"a 1x1 monitor", M::OwnWindow, false, {dot}, {}, {}, {}, {dot}, {}, {}},
      {"a negative origin", M::OwnWindow, false, {a, neg}, {{0, a}}, {0}, {}, {}, {neg}, {}},
      {"the primary moved: the scene follows",
       M::OwnWindow,
       false,
       {aRight, bLeft},
       {{0, a}},
       {},
       {{0, aRight}},
       {},
       {bLeft},
       {}},
      {"hot-plug: a new scene", M::OwnWindow, true, {a, b}, {{0, a}}, {0}, {}, {b}, {}, {}},
      {"unplugged: its scene goes", M::OwnWindow, true, {a}, {{0, a}, {3, b}}, {0}, {}, {}, {}, {3}},
      {"the primary unplugged", M::OwnWindow, true, {b}, {{0, a}, {3, b}}, {3}, {}, {}, {}, {0}},
      {"layouts swapped: both move",
       M::OwnWindow,
       true,
       {aRight, bLeft},
       {{0, a}, {1, b}},
       {},
       {{0, aRight}, {1, bLeft}},
       {},
       {},
       {}},
      {"one moved, one came", M::OwnWindow, true, {a, over, b}, {{0, a}, {1, neg}}, {0}, {{1, over}}, {b}, {}, {}},
      {"twenty monitors",
       M::OwnWindow,
       true,
       twenty,
       {{0, twenty[0]}},
       {0},
       {},
       std::vector<Rect>(twenty.begin() + 1, twenty.end()),
       {},
       {}},
      {"twenty, one scene",
       M::OwnWindow,
       false,
       twenty,
       {},
       {},
       {},
       {twenty[0]},
       std::vector<Rect>(twenty.begin() + 1, twenty.end()),
       {}},
      {"none reported: the scene stays", M::OwnWindow, true, {}, {{0, a}}, {0}, {}, {}, {}, {}},
      {"a lent window stays, whatever the monitors",
       M::LentWindow,
       true,
       {b, a},
       {{0, {0, 0, 640, 480}}},
       {0},
       {},
       {},
       {},
       {}},
      {"a preview: one scene, nothing covered", M::Preview, false, {a, b}, {}, {}, {}, {a}, {}, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    LaunchRequest request;
    request.mode = r.mode;
    request.everyMonitor = r.every;
    const ScreenPlan plan = PlanScreens(r.monitors, r.scenes, request);
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

  // A click off the scenes is on the first scene's bare screen.
  const int screens[] = {4, 7};
  const DisplayEvent up = BareScreenButton(false, screens);
  EXPECT_EQ(up.kind, K::ButtonUp);
  EXPECT_EQ(up.screen, 4);
  EXPECT_FALSE(Rect(0, 0, 1 << 20, 1 << 20).Contains(up.at));

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
}

}  // namespace
}  // namespace coderain
