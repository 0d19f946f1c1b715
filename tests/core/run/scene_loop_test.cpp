#include "core/run/scene_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "test_support.h"

namespace coderain {
namespace {

using Kind = DisplayEvent::Kind;
using Script = std::vector<std::pair<std::int64_t, DisplayEvent>>;

// An event: `n` is the key (keys), the one key held (Appeared) or the
// signal (CloseRequested); `screen` the screen it is on.
DisplayEvent Event(Kind kind, int n = 0, Point at = {}, std::string text = "", int screen = 0) {
  DisplayEvent e{kind, screen};
  e.key = n;
  if (kind == Kind::Appeared) e.keys = {n};
  e.signal = n;
  e.at = at;
  e.text = std::move(text);
  return e;
}

// A display of 1024 x 768 screens (screen 0 at first) that records what
// the loop asks of it. Until `busyUntil` it refuses presents; a Resized
// event makes its screen 800 x 600, a ScreenAdded one adds a screen.
class FakeDisplay : public SceneDisplay {
 public:
  explicit FakeDisplay(const VirtualClock* clock, int screens = 1) : clock_(*clock) {
    for (int s = 0; s < screens; ++s) Add(s, 1024, 768);
  }
  void Add(int screen, int width, int height) {
    screens_[screen] = {FitOutput({width, height}), Bitmap(width, height)};
  }
  void Remove(int screen) { screens_.erase(screen); }

  std::vector<int> Screens() const override {
    std::vector<int> ids;
    for (const auto& [id, s] : screens_) ids.push_back(id);
    return ids;
  }
  Bitmap& Frame(int screen) override { return screens_.at(screen).frame; }
  const OutputFit& Fit(int screen) const override { return screens_.at(screen).fit; }
  void Show() override { shown = true; }
  bool Present(int screen, const DamageList& damage) override {
    if (clock_.now < busyUntil || AwaitsDisplay(screen)) return false;
    presents.push_back({clock_.now, screen, damage.Bounds().Right(), damage.Pixels()});
    if (pacing.vsyncMs > 0) {
      callbackAt = (clock_.now / pacing.vsyncMs + 1) * pacing.vsyncMs;
      if (callbackAt >= pacing.stopFrom && callbackAt < pacing.stopTo) callbackAt = pacing.stopTo;
    }
    return true;
  }
  void PresentAll(int screen) override { ++fullPresents[screen]; }
  bool Pending(int) const override { return false; }
  bool AwaitsDisplay(int) const override { return callbackAt > clock_.now; }

  // Presents taken as a compositor takes them: each says, at the next
  // multiple of vsyncMs, that the next may go; none says so between
  // stopFrom and stopTo.
  struct Pacing {
    std::int64_t vsyncMs = 0, stopFrom = 0, stopTo = 0;
  } pacing;
  std::int64_t callbackAt = -1;

  struct Presented {
    std::int64_t at;
    int screen;
    int right;
    long long pixels;
  };
  std::vector<Presented> presents;
  std::map<int, int> fullPresents;
  bool shown = false;
  std::int64_t busyUntil = 0;

 private:
  struct Screen {
    OutputFit fit;
    Bitmap frame;
  };
  const VirtualClock& clock_;
  std::map<int, Screen> screens_;
};

// The loop over a stage of the project's data, driven as a host's driver
// drives it, on a virtual clock: each step at the time the loop asked for,
// or sooner where the script has an event. Past `until`, with the script
// done, the run stops with the line "script over".
struct LoopRun {
  LoopRun(Script script, std::int64_t until, const RunMode& mode = kOwnWindows, std::int64_t busyUntil = 0,
          const std::string& data = CODERAIN_TEST_DATA, int screens = 1, FrameRate rate = {},
          FakeDisplay::Pacing pacing = {})
      : display(&clock, screens), stage(test::PinnedFontFiles(), 1, data), loop(&display, &stage, mode, nullptr, rate) {
    display.busyUntil = busyUntil;
    display.pacing = pacing;
    LoopStatus status = loop.Start(clock);
    std::size_t next = 0;
    while (status.running) {
      std::int64_t t = status.wakeAt;
      if (display.callbackAt > clock.now) t = std::min(t, display.callbackAt);
      if (next < script.size()) t = std::min(t, script[next].first);
      if (next == script.size() && t > until) {
        status.end = {1, 0, "script over"};
        break;
      }
      clock.now = std::max(clock.now, t);
      std::vector<DisplayEvent> events;
      for (; next < script.size() && script[next].first <= clock.now; ++next) {
        const DisplayEvent& e = script[next].second;
        if (e.kind == Kind::Resized) display.Add(e.screen, 800, 600);
        if (e.kind == Kind::ScreenAdded) display.Add(e.screen, 1024, 768);
        if (e.kind == Kind::ScreenRemoved) display.Remove(e.screen);
        events.push_back(e);
      }
      ++steps;
      status = loop.Step(clock, events);
    }
    end = status.end;
  }
  VirtualClock clock;
  FakeDisplay display;
  Stage stage;
  SceneLoop loop;
  LoopEnd end;
  int steps = 0;
};

TEST(SceneLoop, TicksRunInFrameBatchesEachAtItsOwnTime) {
  LoopRun run({}, 1000);
  EXPECT_TRUE(run.display.shown);
  // Timer1 ticks every 10 ms and every one of them due by the last frame
  // ran, though the loop ran only once a 17 ms frame.
  const TimerScheduler& timers = run.stage.Scene(0)->Timers;
  EXPECT_GT(timers.Now(), 950);
  EXPECT_EQ(timers.TicksRun(1), timers.Now() / 10);
  EXPECT_LE(run.steps, 1000 / 17 + 2);
  ASSERT_GE(run.display.presents.size(), 50u);
  // At most one present a frame.
  for (std::size_t i = 1; i < run.display.presents.size(); ++i)
    EXPECT_GT(run.display.presents[i].at / 17, run.display.presents[i - 1].at / 17) << i;
}

TEST(SceneLoop, DamageGathersWhileTheDisplayIsBusy) {
  LoopRun quiet({}, 600), busy({}, 600, kOwnWindows, 400);
  ASSERT_FALSE(busy.display.presents.empty());
  const auto& first = busy.display.presents.front();
  EXPECT_GE(first.at, 400);
  // The first present holds all that was drawn meanwhile, and the loop
  // did not spin while it waited.
  const auto same = std::find_if(quiet.display.presents.begin(), quiet.display.presents.end(),
                                 [&](const auto& p) { return p.at >= first.at; });
  ASSERT_NE(same, quiet.display.presents.end());
  EXPECT_GT(first.pixels, same->pixels);
  EXPECT_LE(busy.steps, 600 / 10 + 2);
}

TEST(SceneLoop, ANewSizeIsANewSceneAndAnExposureAWholePresent) {
  LoopRun run({{200, Event(Kind::Exposed)}, {500, Event(Kind::Resized)}}, 800);
  // One whole present for the exposure, one for the new scene, which starts
  // at the time of the change; the old scene's damage went with it.
  EXPECT_EQ(run.display.fullPresents[0], 2);
  const Form1& form = *run.stage.Scene(0);
  EXPECT_EQ(form.ScreenWidthPx, 800);
  EXPECT_EQ(form.Timers.DueTime(14), 500 + 1000);
  for (const auto& p : run.display.presents) EXPECT_TRUE(p.at < 500 || p.right <= 800) << p.at;
}

TEST(SceneLoop, HowEachModeEnds) {
  const LoopEnd runs{1, 0, "script over"}, quietly{};
  const Point bare{600, 300}, picC{50, 250};
  struct Row {
    const char* what;
    const RunMode& mode;
    Script script;
    LoopEnd end;
  };
  const Row rows[] = {
      {"own: a key", kOwnWindows, {{50, Event(Kind::KeyDown, 38)}}, quietly},
      {"own: a key held as it appeared",
       kOwnWindows,
       {{10, Event(Kind::Appeared, 36)}, {50, Event(Kind::KeyDown, 36)}},
       runs},
      {"own: a click on the bare screen",
       kOwnWindows,
       {{50, Event(Kind::ButtonDown, 0, bare)}, {60, Event(Kind::ButtonUp, 0, bare)}},
       quietly},
      {"own: a click on picC",
       kOwnWindows,
       {{50, Event(Kind::ButtonDown, 0, picC)}, {60, Event(Kind::ButtonUp, 0, picC)}},
       runs},
      {"own: a close signal", kOwnWindows, {{50, Event(Kind::CloseRequested, 15)}}, quietly},
      {"own: the window manager's close", kOwnWindows, {{50, Event(Kind::CloseRequested)}}, quietly},
      {"own: the window destroyed",
       kOwnWindows,
       {{50, Event(Kind::WindowGone)}},
       {1, 0, "lost the window: another program destroyed it"}},
      {"lent: keys and clicks are the lender's",
       kLentWindow,
       {{50, Event(Kind::KeyDown, 38)}, {60, Event(Kind::ButtonDown, 0, bare)}, {70, Event(Kind::ButtonUp, 0, bare)}},
       runs},
      {"lent: a close signal ends it by that signal", kLentWindow, {{50, Event(Kind::CloseRequested, 1)}}, {0, 1, ""}},
      {"lent: the window's end", kLentWindow, {{50, Event(Kind::WindowGone)}}, quietly},
      {"preview: the pane's end", kPreview, {{50, Event(Kind::WindowGone)}}, quietly},
      {"preview: a key changes nothing", kPreview, {{50, Event(Kind::KeyDown, 38)}}, runs},
      {"page: a key", kPage, {{50, Event(Kind::KeyDown, 38)}}, quietly},
      {"page as wallpaper: a key is the desktop's", kPageWallpaper, {{50, Event(Kind::KeyDown, 38)}}, runs},
      {"any: the display cannot go on",
       kLentWindow,
       {{50, Event(Kind::Failed, 0, {}, "not enough memory for a 9x9 image")}},
       {1, 0, "not enough memory for a 9x9 image"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    LoopRun run(r.script, 100, r.mode);
    EXPECT_EQ(run.end.status, r.end.status);
    EXPECT_EQ(run.end.signal, r.end.signal);
    EXPECT_EQ(run.end.message, r.end.message);
  }
  // A scene that cannot start says why, and nothing is shown.
  test::TempDir empty;
  LoopRun failed({}, 0, kOwnWindows, 0, empty.Path().string());
  EXPECT_NE(failed.end.message.find("codeASM.txt"), std::string::npos) << failed.end.message;
  EXPECT_EQ(failed.end.status, 1);
  EXPECT_FALSE(failed.display.shown);
}

TEST(SceneLoop, EveryScreenHasASceneOfItsOwn) {
  const Point bare{600, 300}, picC{50, 250};
  // Two screens of one size: two scenes, each presented, not one picture.
  LoopRun two({}, 3000, kOwnWindows, 0, CODERAIN_TEST_DATA, 2);
  for (int screen : {0, 1})
    EXPECT_TRUE(std::any_of(two.display.presents.begin(), two.display.presents.end(), [&](const auto& p) {
      return p.screen == screen;
    })) << screen;
  EXPECT_NE(test::FirstDifference(two.display.Frame(0), two.display.Frame(1)), "");

  // A screen that comes gets a scene and its whole frame; one that goes
  // takes its scene along, and the others run on.
  LoopRun changes({{100, Event(Kind::ScreenAdded, 0, {}, "", 2)}, {300, Event(Kind::ScreenRemoved, 0, {}, "", 0)}},
                  500);
  EXPECT_EQ(changes.end.message, "script over");
  EXPECT_EQ(changes.display.fullPresents[2], 1);
  EXPECT_EQ(changes.stage.Scene(0), nullptr);
  ASSERT_NE(changes.stage.Scene(2), nullptr);
  EXPECT_EQ(changes.stage.Scene(2)->Timers.DueTime(14), 100 + 1000);
  EXPECT_GT(changes.display.presents.back().at, 300);

  // A screen that came and went within one batch of events, and one
  // exposed just before it went in the same batch: nothing of them is
  // used, and the run goes on.
  LoopRun flap({{100, Event(Kind::ScreenAdded, 0, {}, "", 3)},
                {100, Event(Kind::ScreenRemoved, 0, {}, "", 3)},
                {200, Event(Kind::Exposed, 0, {}, "", 0)},
                {200, Event(Kind::ScreenRemoved, 0, {}, "", 0)}},
               400, kOwnWindows, 0, CODERAIN_TEST_DATA, 2);
  EXPECT_EQ(flap.end.message, "script over");
  EXPECT_EQ(flap.stage.Scene(3), nullptr);
  EXPECT_EQ(flap.display.fullPresents.count(3) + flap.display.fullPresents.count(0), 0u);

  // A click on any scene's bare screen ends them all; on its picC nothing.
  struct Row {
    Script script;
    const char* end;
  };
  const Row rows[] = {
      {{{50, Event(Kind::ButtonDown, 0, bare, "", 1)}, {60, Event(Kind::ButtonUp, 0, bare, "", 1)}}, ""},
      {{{50, Event(Kind::ButtonDown, 0, picC, "", 1)}, {60, Event(Kind::ButtonUp, 0, picC, "", 1)}}, "script over"},
      {{{50, Event(Kind::ButtonDown, 0, bare, "", 0)}, {60, Event(Kind::ButtonUp, 0, bare, "", 1)}}, "script over"},
      {{{50, Event(Kind::KeyDown, 38)}}, ""},
  };
  for (const Row& r : rows) {
    LoopRun run(r.script, 100, kOwnWindows, 0, CODERAIN_TEST_DATA, 2);
    EXPECT_EQ(run.end.message, r.end) << r.script.front().second.screen;
  }
}

// Presents at most as often as the cap allows, lower on battery, and the
// ticks run as they would at any rate.
TEST(SceneLoop, TheFrameRateCapsPresentsNotTicks) {
  DisplayEvent battery{Kind::PowerChanged}, mains{Kind::PowerChanged};
  battery.onBattery = true;
  LoopRun full({}, 3000), capped({{1000, battery}, {2000, mains}}, 3000, kOwnWindows, 0, CODERAIN_TEST_DATA, 1,
                                 FrameRate{15, FrameRate::kHalfOnBattery});
  const auto presentsIn = [](const LoopRun& run, std::int64_t from, std::int64_t to) {
    return std::count_if(run.display.presents.begin(), run.display.presents.end(),
                         [&](const auto& p) { return p.at >= from && p.at < to; });
  };
  EXPECT_GE(presentsIn(full, 0, 1000), 55);
  EXPECT_LE(presentsIn(capped, 0, 1000), 15);
  EXPECT_GE(presentsIn(capped, 0, 1000), 13);
  EXPECT_LE(presentsIn(capped, 1000, 2000), 8);  // on battery, half
  EXPECT_GE(presentsIn(capped, 1000, 2000), 6);
  EXPECT_GE(presentsIn(capped, 2050, 3000), 13);  // back on mains
  EXPECT_LT(capped.steps, full.steps / 2);
  // Every tick due ran, none dropped for the longer frames.
  const TimerScheduler& timers = capped.stage.Scene(0)->Timers;
  EXPECT_GT(timers.Now(), 2900);
  EXPECT_EQ(timers.TicksRun(1), timers.Now() / 10);
}

// A display that says when the next present may go is the loop's clock:
// a step a present, with no tick dropped, also while it stops saying so
// and under a cap.
TEST(SceneLoop, ADisplayThatSaysWhenToPresentIsTheClock) {
  struct Row {
    const char* what;
    FakeDisplay::Pacing pacing;
    FrameRate rate;
    long minPresents, maxPresents, maxSteps;  // in 2 s
  };
  const Row rows[] = {
      {"at a rate above the loop's frames", {16}, {}, 123, 126, 127},
      {"at a rate below", {25}, {}, 79, 81, 82},
      {"silent for half a second", {16, 500, 1000}, {}, 92, 96, 96 + 500 / 33 + 2},
      {"under a cap, which it does not lift", {16}, {15}, 28, 30, 62},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    LoopRun run({}, 2000, kOwnWindows, 0, CODERAIN_TEST_DATA, 1, r.rate, r.pacing);
    const long presents = static_cast<long>(run.display.presents.size());
    EXPECT_GE(presents, r.minPresents);
    EXPECT_LE(presents, r.maxPresents);
    EXPECT_LE(run.steps, r.maxSteps);
    const TimerScheduler& timers = run.stage.Scene(0)->Timers;
    EXPECT_GT(timers.Now(), 1950);
    EXPECT_EQ(timers.TicksRun(1), timers.Now() / 10);
  }
}

// A screen nobody sees rests, its clock and all, and goes on where it
// stopped; a mode that may not rest runs on.
TEST(SceneLoop, AnUnseenScreenRestsAndGoesOnWhereItStopped) {
  const auto unseen = [](int screen = 0) { return Event(Kind::Unseen, 0, {}, "", screen); };
  const auto seen = [](int screen = 0) { return Event(Kind::Seen, 0, {}, "", screen); };
  struct Row {
    const char* what;
    Script script;
    std::int64_t restMs;  // how far the scene's clock stays behind the loop's
    const RunMode& mode = kOwnWindows;
  };
  const Row rows[] = {
      {"at a frame", {{1003, unseen()}, {4003, seen()}}, 3000},
      {"between ticks", {{1005, unseen()}, {2005, seen()}}, 1000},
      {"said twice each", {{1000, unseen()}, {1500, unseen()}, {3000, seen()}, {3001, seen()}}, 2000},
      {"seen without having rested", {{1000, seen()}}, 0},
      {"a new size while it rests", {{1000, unseen()}, {1500, Event(Kind::Resized)}, {2500, seen()}}, 1000},
      {"another screen", {{1000, unseen(7)}, {2000, seen(7)}}, 0},
      {"a still, which never rests", {{1000, unseen()}, {3000, seen()}}, 0, kStill},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    LoopRun run(r.script, 5000, r.mode);
    EXPECT_EQ(run.end.message, "script over");
    const std::int64_t from = r.script.front().first, to = r.script.back().first;
    // The scene's clock is behind by the rest, and nothing was presented
    // meanwhile but the whole frame when it was seen again.
    EXPECT_GE(run.stage.Scene(0)->Timers.Now(), 5000 - r.restMs - 17);
    EXPECT_LE(run.stage.Scene(0)->Timers.Now(), 5000 - r.restMs);
    if (r.restMs == 0) continue;
    EXPECT_EQ(std::count_if(run.display.presents.begin(), run.display.presents.end(),
                            [&](const auto& p) { return p.at > from + 17 && p.at < to; }),
              0);
    EXPECT_GE(run.display.fullPresents[0], 1);
    // It presents again at once, with no more than a frame's ticks.
    const auto next = std::find_if(run.display.presents.begin(), run.display.presents.end(),
                                   [&](const auto& p) { return p.at >= to; });
    ASSERT_NE(next, run.display.presents.end());
    EXPECT_LE(next->at, to + 17);
  }
  // The end comes while it rests.
  LoopRun ends({{1000, unseen()}, {1500, Event(Kind::CloseRequested, 15)}}, 5000);
  EXPECT_EQ(ends.end.message, "");
  EXPECT_LE(ends.steps, 1000 / 17 + 4);
}

}  // namespace
}  // namespace coderain
