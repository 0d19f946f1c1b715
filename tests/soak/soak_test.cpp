// Minutes of the whole scene, tick by tick, with its rules checked after
// every tick. bench/soak.sh runs the same checks for a day.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "core/run/output_fit.h"
#include "support/scene_rules.h"
#include "test_support.h"

namespace coderain {
namespace {

struct Visited {
  int gameOvers = 0;
  int asmPauses = 0, cPauses = 0, vbPauses = 0;
  int messageCycles = 0;
};

// Where `now` differs from `before` outside every rectangle of `damage`,
// or "".
std::string Undamaged(const Bitmap& before, const Bitmap& now, const DamageList& damage) {
  return test::FirstDifference(now, now.Bounds(), [&](int x, int y) {
    const Color was = before.Pixel(x, y);
    if (now.Pixel(x, y) == was) return was;
    for (const Rect& r : damage.Rects())
      if (r.Contains({x, y})) return now.Pixel(x, y);
    return was;
  });
}

// Runs `scene` to `endMs`, checking after each due time, and once a second
// that a frame's damage covers what its ticks drew; returns what the run
// went through, or stops at the first broken rule.
Visited RunChecked(test::Scene& scene, std::int64_t endMs) {
  Form1& f = *scene;
  Visited v;
  SceneState last = f.State;
  Bitmap before;  // the picture as the frame being checked began
  std::int64_t frameEnd = 0;
  for (std::int64_t t = f.Timers.NextDue(); t <= endMs; t = f.Timers.NextDue()) {
    if (before.Width() == 0 && t >= frameEnd + 1000) {
      before = scene.framebuffer;
      f.Damage().Clear();
      frameEnd = t + OutputFit{}.FrameMs();
    }
    f.RunUntil(t);
    std::string broken = test::SceneInvariantBroken(f);
    if (broken.empty() && before.Width() != 0 && f.Timers.NextDue() >= frameEnd) {
      broken = Undamaged(before, scene.framebuffer, f.Damage());
      before = Bitmap();
    }
    if (!broken.empty()) {
      ADD_FAILURE() << "at " << t << " ms: " << broken;
      break;
    }
    const SceneState& s = f.State;
    v.gameOvers += s.GameOver == -1 && last.GameOver != -1;
    v.asmPauses += s.AsmPanelPaused && !last.AsmPanelPaused;
    v.cPauses += s.CPanelPaused && !last.CPanelPaused;
    v.vbPauses += s.VbPanelPaused && !last.VbPanelPaused;
    v.messageCycles += s.MessagePos == 0 && last.MessagePos != 0;
    last = s;
  }
  return v;
}

TEST(SoakTest, RulesHoldAfterEveryTickForFiveMinutesAt1080p) {
  test::Scene scene(1920, 1080, std::make_unique<SeededRandom>(7));
  ASSERT_TRUE(scene.started) << scene.error;
  const Visited v = RunChecked(scene, 5 * 60'000);
  // The run went through every state the rules speak of, more than once.
  EXPECT_GE(v.gameOvers, 2);
  EXPECT_GE(v.asmPauses, 2);
  EXPECT_GE(v.cPauses, 2);
  EXPECT_GE(v.vbPauses, 2);
  // A message cycle is 428 ticks of 40 ms.
  EXPECT_EQ(v.messageCycles, 5 * 60'000 / (428 * 40));
  EXPECT_EQ(scene->Timers.TicksRun(1), 5 * 60'000 / 10);
}

TEST(SoakTest, RulesHoldOnSmallAndNarrowScreens) {
  // picGame fractional (1024 x 768), the message panel cut off (800 x 600)
  // and the two panel columns overlapping (400 x 300).
  for (auto [w, h] : {std::pair{1024, 768}, std::pair{800, 600}, std::pair{400, 300}}) {
    SCOPED_TRACE(testing::Message() << w << " x " << h);
    test::Scene scene(w, h, std::make_unique<SeededRandom>(11));
    ASSERT_TRUE(scene.started) << scene.error;
    RunChecked(scene, 60'000);
  }
}

// The checks themselves: each rule, broken by hand, is reported.
TEST(SoakTest, BrokenRulesAreReported) {
  test::Scene scene(1920, 1080);
  ASSERT_TRUE(scene.started);
  Form1& f = *scene;
  f.RunUntil(10'000);
  ASSERT_EQ(test::SceneInvariantBroken(f), "");
  auto brokenBy = [&](auto change) {
    const SceneState saved = f.State;
    change(f.State);
    const std::string why = test::SceneInvariantBroken(f);
    f.State = saved;
    return why;
  };
  EXPECT_NE(brokenBy([](SceneState& s) { s.Streams[3].X += 1; }), "");
  EXPECT_NE(brokenBy([](SceneState& s) { s.Streams[5].Y += 9; }), "");
  EXPECT_NE(brokenBy([](SceneState& s) { s.WatchPhase = 0; }), "");
  EXPECT_NE(brokenBy([](SceneState& s) { s.BlockGrid[12][23] = {kTrue, 1}; }), "");
  EXPECT_NE(brokenBy([](SceneState& s) { s.BlockGrid[4][24] = {kTrue, 1}; }), "");
  EXPECT_NE(brokenBy([](SceneState& s) { s.BlockGrid[2][10] = {kTrue, 1}; }), "");  // floating
  EXPECT_NE(brokenBy([](SceneState& s) {
              s.BlockGrid[1][23] = {kTrue, 2};
              s.BlockGrid[1][22] = {kTrue, 2};
            }),
            "");
  EXPECT_NE(brokenBy([](SceneState& s) { s.MessagePos = 344 + 200; }), "");
  EXPECT_NE(brokenBy([](SceneState& s) { s.AsmPanelPaused = s.AsmPanelPaused ? kFalse : kTrue; }), "");
  for (const auto& [id, interval] : {std::pair{15, 40}, std::pair{f.Blocks.timer.Id(), 10}}) {
    f.Timers.SetInterval(id, interval + 1);
    EXPECT_NE(test::SceneInvariantBroken(f), "") << "Timer" << id;
    f.Timers.SetInterval(id, interval);
  }
  ASSERT_GE(f.State.WatchPhase, kFirstGamePhase);
  ASSERT_EQ(test::SceneInvariantBroken(f), "");
  f.picWatch.FillRect({0, 0}, {193, 385}, Rgb(255, 255, 255));
  EXPECT_NE(test::SceneInvariantBroken(f), "");
}

}  // namespace
}  // namespace coderain
