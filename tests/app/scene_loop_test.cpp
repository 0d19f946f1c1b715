#include "app/scene_loop.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.h"

namespace coderain {
namespace {

using Kind = DisplayEvent::Kind;

struct VirtualClock : Clock {
  std::int64_t now = 0;
  std::int64_t Now() const override { return now; }
};

// What the display says, and when: at `at` ms, `event` (a Resized one
// makes the frame `w` x `h` first); `busyUntil` > 0 makes the display
// refuse presents until then.
struct Step {
  std::int64_t at;
  DisplayEvent event;
  int w = 0, h = 0;
};

// A display on a virtual clock: its wait moves the clock on to the next
// step or by the timeout, and it records what the loop asked of it. After
// the last step the script ends the program with the line "script over".
class FakeDisplay : public SceneDisplay {
 public:
  FakeDisplay(VirtualClock* clock, std::vector<Step> script, std::int64_t until)
      : clock_(*clock), script_(std::move(script)), until_(until) {
    Resize(1024, 768);
  }
  Bitmap& Frame() override { return frame_; }
  const OutputFit& Fit() const override { return fit_; }
  void Show() override { shown = true; }
  void Wait(int timeoutMs, std::vector<DisplayEvent>* events) override {
    ++waits;
    const std::int64_t wake = clock_.now + timeoutMs;
    if (next_ < script_.size() && script_[next_].at <= wake) {
      Step& s = script_[next_++];
      clock_.now = std::max(clock_.now, s.at);
      if (s.event.kind == Kind::Resized) Resize(s.w, s.h);
      events->push_back(s.event);
      return;
    }
    clock_.now = wake;
    if (next_ == script_.size() && clock_.now >= until_) {
      DisplayEvent over{Kind::Failed};
      over.text = "script over";
      events->push_back(over);
    }
  }
  bool Present(const DamageList& damage) override {
    if (clock_.now < busyUntil) return false;
    presents.push_back({clock_.now, damage.Bounds(), damage.Pixels()});
    return true;
  }
  void PresentAll() override { ++fullPresents; }

  struct Presented {
    std::int64_t at;
    Rect bounds;
    long long pixels;
  };
  std::vector<Presented> presents;
  int fullPresents = 0;
  int waits = 0;
  bool shown = false;
  std::int64_t busyUntil = 0;

 private:
  void Resize(int w, int h) {
    fit_ = FitOutput({w, h});
    frame_ = Bitmap(w, h);
  }
  VirtualClock& clock_;
  std::vector<Step> script_;
  std::size_t next_ = 0;
  std::int64_t until_;
  OutputFit fit_;
  Bitmap frame_;
};

// A stage over the project's data, and a loop for it.
struct LoopRun {
  LoopRun(std::vector<Step> script, std::int64_t until = 0, LaunchRequest::Mode mode = LaunchRequest::Mode::OwnWindow)
      : display(&clock, std::move(script), until), stage(test::PinnedFontFiles(), &random, CODERAIN_TEST_DATA) {
    end = SceneLoop(&display, &stage, &clock, mode).Run();
  }
  SeededRandom random{1};
  VirtualClock clock;
  FakeDisplay display;
  Stage stage;
  LoopEnd end;
};

DisplayEvent Key(Kind kind, int key) {
  DisplayEvent e{kind};
  e.key = key;
  return e;
}

DisplayEvent Button(Kind kind, Point at) {
  DisplayEvent e{kind};
  e.at = at;
  return e;
}

DisplayEvent Close(int signal) {
  DisplayEvent e{Kind::CloseRequested};
  e.signal = signal;
  return e;
}

TEST(SceneLoop, TicksRunInFrameBatchesEachAtItsOwnTime) {
  LoopRun run({}, 1000);
  EXPECT_TRUE(run.display.shown);
  EXPECT_EQ(run.end.message, "script over");
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
  LoopRun quiet({}, 600);
  // The same run with a display that takes nothing until 400 ms.
  SeededRandom random{1};
  VirtualClock clock;
  FakeDisplay display(&clock, {}, 600);
  display.busyUntil = 400;
  Stage stage(test::PinnedFontFiles(), &random, CODERAIN_TEST_DATA);
  SceneLoop(&display, &stage, &clock, LaunchRequest::Mode::OwnWindow).Run();
  for (const auto& p : display.presents) EXPECT_GE(p.at, 400);
  ASSERT_FALSE(display.presents.empty());
  // The first present after the wait holds all that was drawn meanwhile,
  // and the wait did not spin.
  const auto after = std::find_if(quiet.display.presents.begin(), quiet.display.presents.end(),
                                  [&](const auto& p) { return p.at >= display.presents.front().at; });
  ASSERT_NE(after, quiet.display.presents.end());
  EXPECT_GT(display.presents.front().pixels, after->pixels);
  EXPECT_LE(display.waits, 600 / 10 + 2);
}

TEST(SceneLoop, ANewSizeIsANewSceneAndAnExposureAWholePresent) {
  DisplayEvent resized{Kind::Resized};
  LoopRun run({{200, {Kind::Exposed}}, {500, resized, 800, 600}}, 800);
  // One whole present for the exposure, one for the new scene.
  EXPECT_EQ(run.display.fullPresents, 2);
  EXPECT_EQ(run.stage.Form().ScreenWidthPx, 800);
  EXPECT_EQ(run.stage.Frame().Width(), 800);
  // The new scene starts at the time of the change; the old one's damage
  // went with it.
  EXPECT_EQ(run.stage.Form().Timers.DueTime(14), 1500);
  for (const auto& p : run.display.presents) EXPECT_TRUE(p.at < 500 || p.bounds.Right() <= 800) << p.at;
}

TEST(SceneLoop, HowEachModeEnds) {
  using M = LaunchRequest::Mode;
  struct Row {
    const char* what;
    M mode;
    std::vector<Step> script;
    LoopEnd end;
  };
  const LoopEnd runs{1, 0, "script over"};  // nothing ended it
  const Row rows[] = {
      {"own: any key", M::OwnWindow, {{50, Key(Kind::KeyDown, 38)}}, {}},
      {"own: a key held as it appeared",
       M::OwnWindow,
       {{10,
         [] {
           DisplayEvent e{Kind::Appeared};
           e.keys = {36};
           return e;
         }()},
        {50, Key(Kind::KeyDown, 36)}},
       runs},
      {"own: a click on the bare screen",
       M::OwnWindow,
       {{50, Button(Kind::ButtonDown, {600, 300})}, {60, Button(Kind::ButtonUp, {600, 300})}},
       {}},
      {"own: a click on picC",
       M::OwnWindow,
       {{50, Button(Kind::ButtonDown, {50, 250})}, {60, Button(Kind::ButtonUp, {50, 250})}},
       runs},
      {"own: a close signal", M::OwnWindow, {{50, Close(15)}}, {}},
      {"own: the window manager's close", M::OwnWindow, {{50, Close(0)}}, {}},
      {"own: the window destroyed",
       M::OwnWindow,
       {{50, {Kind::WindowGone}}},
       {1, 0, "lost the window: another program destroyed it"}},
      {"lent: keys and clicks are the lender's",
       M::LentWindow,
       {{50, Key(Kind::KeyDown, 38)},
        {60, Button(Kind::ButtonDown, {600, 300})},
        {70, Button(Kind::ButtonUp, {600, 300})}},
       runs},
      {"lent: a close signal ends it by that signal", M::LentWindow, {{50, Close(1)}}, {0, 1, ""}},
      {"lent: the window's end, quietly", M::LentWindow, {{50, {Kind::WindowGone}}}, {}},
      {"preview: the pane's end, quietly", M::Preview, {{50, {Kind::WindowGone}}}, {}},
      {"preview: a key changes nothing", M::Preview, {{50, Key(Kind::KeyDown, 38)}}, runs},
      {"any: the display cannot go on",
       M::LentWindow,
       {{50,
         [] {
           DisplayEvent e{Kind::Failed};
           e.text = "not enough memory for a 9x9 image";
           return e;
         }()}},
       {1, 0, "not enough memory for a 9x9 image"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    LoopRun run(r.script, 100, r.mode);
    EXPECT_EQ(run.end.status, r.end.status);
    EXPECT_EQ(run.end.signal, r.end.signal);
    EXPECT_EQ(run.end.message, r.end.message);
  }
}

TEST(SceneLoop, AFailedStartShowsNothing) {
  VirtualClock clock;
  FakeDisplay display(&clock, {}, 0);
  SeededRandom random{1};
  test::TempDir empty;
  Stage stage(test::PinnedFontFiles(), &random, empty.Path().string());
  const LoopEnd end = SceneLoop(&display, &stage, &clock, LaunchRequest::Mode::OwnWindow).Run();
  EXPECT_EQ(end.status, 1);
  EXPECT_NE(end.message.find("codeASM.txt"), std::string::npos) << end.message;
  EXPECT_FALSE(display.shown);
}

}  // namespace
}  // namespace coderain
