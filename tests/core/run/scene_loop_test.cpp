#include "core/run/scene_loop.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.h"

namespace coderain {
namespace {

using Kind = DisplayEvent::Kind;
using Mode = LaunchRequest::Mode;

struct VirtualClock : Clock {
  std::int64_t now = 0;
  std::int64_t Now() const override { return now; }
};

// An event: `n` is the key (keys), the one key held (Appeared) or the
// signal (CloseRequested); a Resized one makes the frame 800 x 600.
DisplayEvent Event(Kind kind, int n = 0, Point at = {}, std::string text = "") {
  DisplayEvent e{kind};
  e.key = n;
  if (kind == Kind::Appeared) e.keys = {n};
  e.signal = n;
  e.at = at;
  e.text = std::move(text);
  return e;
}

// A 1024 x 768 display on a virtual clock: its wait moves the clock to the
// next scripted event or by the timeout, and it records what the loop asked
// of it. Past `until`, with the script done, it ends the run with the line
// "script over"; until `busyUntil` it refuses presents.
class FakeDisplay : public SceneDisplay {
 public:
  FakeDisplay(VirtualClock* clock, std::vector<std::pair<std::int64_t, DisplayEvent>> script, std::int64_t until)
      : clock_(*clock), script_(std::move(script)), until_(until) {}
  Bitmap& Frame() override { return frame_; }
  const OutputFit& Fit() const override { return fit_; }
  void Show() override { shown = true; }
  void Wait(int timeoutMs, std::vector<DisplayEvent>* events) override {
    ++waits;
    clock_.now += timeoutMs;
    if (next_ < script_.size() && script_[next_].first <= clock_.now) {
      const DisplayEvent& e = script_[next_++].second;
      if (e.kind == Kind::Resized) {
        fit_ = FitOutput({800, 600});
        frame_ = Bitmap(800, 600);
        resizedAt = clock_.now;
      }
      events->push_back(e);
    } else if (next_ == script_.size() && clock_.now >= until_) {
      events->push_back(Event(Kind::Failed, 0, {}, "script over"));
    }
  }
  bool Present(const DamageList& damage) override {
    if (clock_.now < busyUntil) return false;
    presents.push_back({clock_.now, damage.Bounds().Right(), damage.Pixels()});
    return true;
  }
  void PresentAll() override { ++fullPresents; }

  struct Presented {
    std::int64_t at;
    int right;
    long long pixels;
  };
  std::vector<Presented> presents;
  int fullPresents = 0, waits = 0;
  bool shown = false;
  std::int64_t busyUntil = 0, resizedAt = -1;

 private:
  VirtualClock& clock_;
  std::vector<std::pair<std::int64_t, DisplayEvent>> script_;
  std::int64_t until_;
  std::size_t next_ = 0;
  OutputFit fit_ = FitOutput({1024, 768});
  Bitmap frame_{1024, 768};
};

// The loop run over a stage of the project's data.
struct LoopRun {
  LoopRun(std::vector<std::pair<std::int64_t, DisplayEvent>> script, std::int64_t until, Mode mode = Mode::OwnWindow,
          std::int64_t busyUntil = 0, const std::string& data = CODERAIN_TEST_DATA)
      : display(&clock, std::move(script), until), stage(test::PinnedFontFiles(), &random, data) {
    display.busyUntil = busyUntil;
    end = SceneLoop(&display, &stage, &clock, mode).Run();
  }
  SeededRandom random{1};
  VirtualClock clock;
  FakeDisplay display;
  Stage stage;
  LoopEnd end;
};

TEST(SceneLoop, TicksRunInFrameBatchesEachAtItsOwnTime) {
  LoopRun run({}, 1000);
  EXPECT_TRUE(run.display.shown);
  // Timer1 ticks every 10 ms and every one of them due by the last frame
  // ran, though the loop woke only about once a 17 ms frame.
  const TimerScheduler& timers = run.stage.Form().Timers;
  EXPECT_GT(timers.Now(), 950);
  EXPECT_EQ(timers.TicksRun(1), timers.Now() / 10);
  EXPECT_LE(run.display.waits, 1000 / 17 + 2);
  ASSERT_GE(run.display.presents.size(), 50u);
  for (std::size_t i = 1; i < run.display.presents.size(); ++i)
    EXPECT_GE(run.display.presents[i].at - run.display.presents[i - 1].at, 17) << i;
}

TEST(SceneLoop, DamageGathersWhileTheDisplayIsBusy) {
  LoopRun quiet({}, 600), busy({}, 600, Mode::OwnWindow, 400);
  ASSERT_FALSE(busy.display.presents.empty());
  const auto& first = busy.display.presents.front();
  EXPECT_GE(first.at, 400);
  // The first present holds all that was drawn meanwhile, and the loop
  // did not spin while it waited.
  const auto same = std::find_if(quiet.display.presents.begin(), quiet.display.presents.end(),
                                 [&](const auto& p) { return p.at >= first.at; });
  ASSERT_NE(same, quiet.display.presents.end());
  EXPECT_GT(first.pixels, same->pixels);
  EXPECT_LE(busy.display.waits, 600 / 10 + 2);
}

TEST(SceneLoop, ANewSizeIsANewSceneAndAnExposureAWholePresent) {
  LoopRun run({{200, Event(Kind::Exposed)}, {500, Event(Kind::Resized)}}, 800);
  // One whole present for the exposure, one for the new scene, which starts
  // at the time of the change; the old scene's damage went with it.
  EXPECT_EQ(run.display.fullPresents, 2);
  EXPECT_EQ(run.stage.Form().ScreenWidthPx, 800);
  const std::int64_t at = run.display.resizedAt;
  EXPECT_EQ(run.stage.Form().Timers.DueTime(14), at + 1000);
  for (const auto& p : run.display.presents) EXPECT_TRUE(p.at < at || p.right <= 800) << p.at;
}

TEST(SceneLoop, HowEachModeEnds) {
  const LoopEnd runs{1, 0, "script over"}, quietly{};
  const Point bare{600, 300}, picC{50, 250};
  struct Row {
    const char* what;
    Mode mode;
    std::vector<std::pair<std::int64_t, DisplayEvent>> script;
    LoopEnd end;
  };
  const Row rows[] = {
      {"own: a key", Mode::OwnWindow, {{50, Event(Kind::KeyDown, 38)}}, quietly},
      {"own: a key held as it appeared",
       Mode::OwnWindow,
       {{10, Event(Kind::Appeared, 36)}, {50, Event(Kind::KeyDown, 36)}},
       runs},
      {"own: a click on the bare screen",
       Mode::OwnWindow,
       {{50, Event(Kind::ButtonDown, 0, bare)}, {60, Event(Kind::ButtonUp, 0, bare)}},
       quietly},
      {"own: a click on picC",
       Mode::OwnWindow,
       {{50, Event(Kind::ButtonDown, 0, picC)}, {60, Event(Kind::ButtonUp, 0, picC)}},
       runs},
      {"own: a close signal", Mode::OwnWindow, {{50, Event(Kind::CloseRequested, 15)}}, quietly},
      {"own: the window manager's close", Mode::OwnWindow, {{50, Event(Kind::CloseRequested)}}, quietly},
      {"own: the window destroyed",
       Mode::OwnWindow,
       {{50, Event(Kind::WindowGone)}},
       {1, 0, "lost the window: another program destroyed it"}},
      {"lent: keys and clicks are the lender's",
       Mode::LentWindow,
       {{50, Event(Kind::KeyDown, 38)}, {60, Event(Kind::ButtonDown, 0, bare)}, {70, Event(Kind::ButtonUp, 0, bare)}},
       runs},
      {"lent: a close signal ends it by that signal",
       Mode::LentWindow,
       {{50, Event(Kind::CloseRequested, 1)}},
       {0, 1, ""}},
      {"lent: the window's end", Mode::LentWindow, {{50, Event(Kind::WindowGone)}}, quietly},
      {"preview: the pane's end", Mode::Preview, {{50, Event(Kind::WindowGone)}}, quietly},
      {"preview: a key changes nothing", Mode::Preview, {{50, Event(Kind::KeyDown, 38)}}, runs},
      {"any: the display cannot go on",
       Mode::LentWindow,
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
  LoopRun failed({}, 0, Mode::OwnWindow, 0, empty.Path().string());
  EXPECT_NE(failed.end.message.find("codeASM.txt"), std::string::npos) << failed.end.message;
  EXPECT_EQ(failed.end.status, 1);
  EXPECT_FALSE(failed.display.shown);
}

}  // namespace
}  // namespace coderain
