#include "core/panels/code/code_panel.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/panels/panel_frame.h"
#include "test_support.h"

namespace coderain {
namespace {

namespace fs = std::filesystem;

constexpr Color kText = Rgb(0, 192, 0);

// A page of the 224 x 179 code panels in the pinned font, whose rows are
// 12 pixels high, bold ones too: the heading's top at y = 5, the page's
// rows from y = 22, 12 rows to a page; full once the text position is past
// y = 143, three rows above the bottom.
constexpr int kHeadingTop = 5;
constexpr int kFirstRowTop = 22;
constexpr int kRowPitch = 12;
constexpr int kRowsPerPage = 12;
constexpr double kFullPast = 143;

// A scene over source texts of its own.
std::unique_ptr<test::Scene> MakeScene(std::unique_ptr<RandomSource> random = nullptr,
                                       const test::Texts& texts = {"mov ax, bx\r\n", "int main() {\r\n",
                                                                   "Dim x As Integer\r\n"}) {
  auto scene = std::make_unique<test::Scene>(640, 600, std::move(random), texts);
  EXPECT_TRUE(scene->started) << scene->error;
  return scene;
}

// picC of a scene, driven tick by tick with a source file of the test's own.
struct Rig {
  explicit Rig(const std::string& contents, std::unique_ptr<RandomSource> random = nullptr)
      : scene(MakeScene(std::move(random))), path(dir.Write("source.txt", contents)) {
    std::string error;
    EXPECT_TRUE(file.Open(path.string(), &error)) << error;
  }
  Form1& form() { return **scene; }
  Panel& panel() { return form().picC; }
  // picC's own view, with the rig's file and flags in place of the scene's.
  void Tick() {
    const CodePanel& c = form().CodePanels[1];
    CodePanelTick({c.heading, c.panel, file, started, c.timer, paused, c.pauseBase, c.runInterval, c.random});
  }
  int Interval() { return form().CodePanels[1].timer.Interval(); }

  test::TempDir dir;
  std::unique_ptr<test::Scene> scene;
  fs::path path;
  SourceFile file;
  std::int32_t started = 0;
  std::int16_t paused = 0;
};

// Paints on a blank panel what a page of `lines` under `heading` must look
// like: the frame on the edge of the drawing area, the bold heading and the
// lines each one blank in, at the places of the pinned font's page.
void PaintPage(Panel& p, std::string_view heading, const std::vector<std::string>& lines) {
  p.DrawRect({0, 0}, {static_cast<int>(p.Width()) - 3, static_cast<int>(p.Height()) - 3}, kFrameGreen);
  const auto printAt = [&p](int y, bool bold, std::string_view text) {
    p.CurrentX = 0;
    p.CurrentY = y;
    p.FontBold = bold;
    p.Print(" " + std::string(text), false);
  };
  printAt(kHeadingTop, true, heading);
  for (std::size_t i = 0; i < lines.size(); ++i)
    printAt(kFirstRowTop + kRowPitch * static_cast<int>(i), false, lines[i]);
}

// Compares `region` of `got` with the same region of a fresh scene on whose
// panel of the same name the page is drawn; the message names the first
// pixel that differs.
::testing::AssertionResult ShowsPage(const Bitmap& got, const Panel& panel, std::string_view heading,
                                     const std::vector<std::string>& lines, Rect region) {
  auto expected = MakeScene();
  Panel* p = nullptr;
  for (const auto& candidate : (*expected)->WindowSurface.Panels())
    if (candidate->Name() == panel.Name()) p = candidate.get();
  p->Move(panel.Left(), panel.Top(), panel.Width(), panel.Height());
  PaintPage(*p, heading, lines);
  const std::string difference = test::FirstDifference(got, expected->framebuffer, region);
  if (difference.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << panel.Name() << ": first difference at " << difference;
}

// For a rig nothing else draws, so the whole screen must match.
::testing::AssertionResult ShowsPage(Rig& rig, const std::vector<std::string>& lines) {
  const Bitmap& fb = rig.scene->framebuffer;
  return ShowsPage(fb, rig.panel(), "C++ WINDOW", lines, fb.Bounds());
}

// Lines "line 1" to "line n" of a file, and the rows they print as.
std::string NumberedLines(int n) {
  std::string text;
  for (int i = 1; i <= n; ++i) text += "line " + std::to_string(i) + "\r\n";
  return text;
}
std::vector<std::string> Lines(int from, int to) {
  std::vector<std::string> v;
  for (int i = from; i <= to; ++i) v.push_back("line " + std::to_string(i));
  return v;
}

std::vector<std::string> Repeat(const std::string& line, int n) { return std::vector<std::string>(n, line); }

// Resident memory of this process in KiB.
long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
#ifdef _WIN32
  const long page = 4096;  // Windows has no /proc: both readings are 0
#else
  const long page = sysconf(_SC_PAGESIZE);
#endif
  return resident * (page / 1024);
}

// Ticks `ticks` times and checks that the panel keeps paging (pauses and new
// pages keep coming), paints nothing outside its drawing area and holds no
// more than a few MB of memory on the way.
void ExpectKeepsPaging(Rig& rig, int ticks) {
  const long before = ResidentKiB();
  int pauses = 0, pageStarts = 0;
  for (int i = 0; i < ticks; ++i) {
    const std::int16_t was = rig.paused;
    rig.Tick();
    pauses += !was && rig.paused;
    pageStarts += was && !rig.paused;
  }
  EXPECT_EQ(rig.started, 1);
  EXPECT_GE(pauses, 2);
  EXPECT_GE(pageStarts, 2);
  EXPECT_LT(ResidentKiB() - before, 4 * 1024);
  const Bitmap& fb = rig.scene->framebuffer;
  const Rect area = rig.panel().DrawArea();
  EXPECT_EQ(test::CountPixels(fb, fb.Bounds(), kBlack) - test::CountPixels(fb, area, kBlack),
            fb.Bounds().Area() - area.Area());
}

// Ticks until a page has just begun.
void TickToPageStart(Rig& rig) {
  while (!rig.paused) rig.Tick();
  rig.Tick();
}

// A page row by row, with the text position at the start of the next row
// after each, then a pause that starts with the page's last row and ends
// with the first row of a new page as long as the first.
TEST(CodePanelPage, RowByRowThenAPauseThenANewPage) {
  Rig rig(NumberedLines(40));
  const int k = kRowsPerPage;
  for (int i = 1; i < k; ++i) {
    rig.Tick();
    ASSERT_EQ(rig.started, 1);
    ASSERT_EQ(rig.paused, 0) << "tick " << i;
    ASSERT_EQ(rig.panel().CurrentX, 0) << "tick " << i;
    ASSERT_EQ(rig.panel().CurrentY, kFirstRowTop + i * kRowPitch) << "tick " << i;
    // The first tick draws the frame on the outermost pixels of the drawing
    // area, the bold heading and the first line.
    if (i > 1) continue;
    EXPECT_TRUE(ShowsPage(rig, Lines(1, 1)));
    const Rect area = rig.panel().DrawArea();
    EXPECT_EQ(test::CountPixels(rig.scene->framebuffer, area, kFrameGreen), 2 * (area.w + area.h) - 4);
  }
  rig.Tick();
  EXPECT_EQ(rig.paused, kTrue);
  EXPECT_TRUE(ShowsPage(rig, Lines(1, k)));
  rig.Tick();
  EXPECT_EQ(rig.paused, 0);
  EXPECT_EQ(rig.Interval(), 25);
  EXPECT_TRUE(ShowsPage(rig, Lines(k + 1, k + 1)));
  for (int i = 1; i < k; ++i) rig.Tick();
  EXPECT_EQ(rig.paused, kTrue);
  EXPECT_TRUE(ShowsPage(rig, Lines(k + 1, 2 * k)));
}

TEST(CodePanelPage, FileEndsRewindWithoutAnEmptyRow) {
  struct Case {
    std::string contents;
    std::vector<std::string> page;
  };
  const Case cases[] = {
      {"one\r\ntwo\r\nthree\r\n", {"one", "two", "three", "one", "two"}},
      {"one\r\ntwo\r\nthree", {"one", "two", "three", "one", "two"}},
      {"only\r\n", Repeat("only", 5)},
      {"only", Repeat("only", 5)},
      {"a\r\n\r\nb\r\n", {"a", "", "b", "a", ""}},
      {"\r\n\r\n", Repeat("", 5)},
      {"", Repeat("", 5)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.contents));
    Rig rig(c.contents);
    for (std::size_t i = 0; i < c.page.size(); ++i) rig.Tick();
    EXPECT_TRUE(ShowsPage(rig, c.page));
  }
}

// A tick finds the page full once the text position is past three rows
// above the bottom: equality is not full, any amount past it is, and the
// limit is taken in single precision, so a height a hair under 179 still
// gives the limit of 179. The pause then lasts base to 3 x base ms, rounded
// half to even, and the tick after it starts a page at the run interval.
TEST(CodePanelPage, FullPastThreeRowsAboveTheBottomThenAPauseOfBaseToThreeTimesBase) {
  struct Case {
    double y, height, r;
    int pause;  // 0: not full
  };
  const Case cases[] = {{kFullPast, 179, 0.25, 0},        {kFullPast + 1e-6, 179, 0.25, 750},
                        {kFullPast, 179 - 1e-7, 0.25, 0}, {1000, 179, 1.0 / 16, 562},
                        {1000, 179, 3.0 / 16, 688},       {1000, 179, 0.0, 500},
                        {1000, 179, 0.25, 750},           {1000, 179, std::nextafter(1.0, 0.0), 1500}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "y " << c.y << ", height " << c.height << ", r " << c.r);
    Rig rig("x\r\n", std::make_unique<ScriptedRandom>(std::deque<double>{c.r}));
    rig.panel().Move(0, 198, 224, c.height);
    rig.Tick();
    rig.panel().CurrentY = c.y;
    rig.Tick();
    EXPECT_EQ(rig.paused, c.pause ? kTrue : 0);
    EXPECT_EQ(rig.Interval(), c.pause ? c.pause : 50);
    if (!c.pause) continue;
    rig.Tick();
    EXPECT_EQ(rig.paused, 0);
    EXPECT_EQ(rig.Interval(), 25);
  }
}

TEST(CodePanelPage, PanelTooShortForALineAlternatesPauseAndPageStart) {
  Rig rig("one\r\ntwo\r\nthree\r\nfour\r\n", std::make_unique<ScriptedRandom>(std::deque<double>{0.25, 0.25, 0.25}));
  rig.panel().Move(0, 198, 224, 40);
  const std::int16_t expected[] = {kTrue, 0, kTrue, 0, kTrue};
  for (std::int16_t e : expected) {
    rig.Tick();
    EXPECT_EQ(rig.paused, e);
    EXPECT_EQ(rig.Interval(), e ? 750 : 25);
  }
  // The fourth tick began a page; the fifth added a second row to it.
  EXPECT_TRUE(ShowsPage(rig, {"four", "one"}));
}

// Whatever the file holds or turns into, the panel keeps paging. Long lines
// are cut at the right edge and tabs expanded; odd bytes are printed as
// they come (huge lines and endless devices are the line reader's to bound,
// in its own tests and the program's under bad inputs); a file truncated,
// rewritten or deleted while shown gives the next page what it now holds.
TEST(CodePanelInput, AnyContentOrChangeOfTheFileKeepsThePanelPaging) {
  struct Case {
    const char* what;
    std::string contents;
    std::vector<std::string> firstRows;  // after three ticks; empty: not checked
    void (*change)(const fs::path&);     // after those ticks, where there is one
    std::vector<std::string> nextPage;   // after the change; empty: any text will do
  };
  constexpr char kBytes[] = "A\0B\xff\xfe\xc3(\xe2\x82\r\n\x80\x81\r";
  const Case cases[] = {
      {"long lines and tabs",
       std::string(5000, 'W') + "\r\n\tX\tY\r\nend",
       {std::string(100, 'W'), "        X       Y", "end"},
       nullptr,
       {}},
      {"odd bytes", std::string(kBytes, sizeof kBytes - 1), {}, nullptr, {}},
      {"truncated", NumberedLines(30), Lines(1, 3), [](const fs::path& p) { fs::resize_file(p, 0); }, {""}},
      {"rewritten shorter",
       NumberedLines(30),
       Lines(1, 3),
       [](const fs::path& p) { std::ofstream(p, std::ios::binary | std::ios::trunc) << "new\r\n"; },
       {"new"}},
      {"deleted", NumberedLines(30), Lines(1, 3), [](const fs::path& p) { fs::remove(p); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig(c.contents);
    for (int i = 0; i < 3; ++i) rig.Tick();
    if (!c.firstRows.empty()) {
      EXPECT_TRUE(ShowsPage(rig, c.firstRows));
    }
    if (c.change) c.change(rig.path);
    ExpectKeepsPaging(rig, 100);
    if (!c.change) continue;
    TickToPageStart(rig);
    if (c.nextPage.empty())
      EXPECT_GT(test::CountPixels(rig.scene->framebuffer, rig.panel().DrawArea(), kText), 0);
    else
      EXPECT_TRUE(ShowsPage(rig, c.nextPage));
  }
}

TEST(CodePanelSchedule, PanelsRunAtTheirStartIntervalsThenPauseThenRun) {
  // picVB's file is empty: it shows pages of empty rows, at its own rhythm.
  auto scene = MakeScene(std::make_unique<SeededRandom>(7), {NumberedLines(200), NumberedLines(200), ""});
  Form1& f = **scene;
  // Each panel with its heading, timer and flags, and its rhythm in ms:
  // the first page's interval, the pause base and every later page's.
  struct Row {
    Panel& panel;
    const char* heading;
    int timer;
    const std::int32_t& started;
    const std::int16_t& paused;
    int start, pauseBase, run;
    std::vector<std::string> firstRows;  // after 100 ms
  };
  const Row rows[] = {
      {f.picASM, "ASSMEBLY WINDOW", 6, f.State.AsmPanelStarted, f.State.AsmPanelPaused, 10, 400, 15, Lines(1, 10)},
      {f.picC, "C++ WINDOW", 11, f.State.CPanelStarted, f.State.CPanelPaused, 50, 500, 25, Lines(1, 2)},
      {f.picVB, "VISUAL BASIC WINDOW", 12, f.State.VbPanelStarted, f.State.VbPanelPaused, 100, 1000, 50, {""}}};
  f.RunUntil(100);
  for (const Row& r : rows) {
    EXPECT_EQ(r.started, 1);
    EXPECT_TRUE(ShowsPage(scene->framebuffer, r.panel, r.heading, r.firstRows, r.panel.OuterRect()));
  }

  // The first page runs at the start interval; a pause begins with a page's
  // k-th row and lasts pauseBase to 3 x pauseBase; the timer's interval
  // changes then and only then.
  const int k = kRowsPerPage;
  std::int64_t due[3];
  int last[3], changes[3] = {};
  for (std::size_t i = 0; i < 3; ++i) {
    due[i] = k * rows[i].start;
    last[i] = f.Timers.Interval(rows[i].timer);
  }
  for (std::int64_t t = 101; t <= 12000; ++t) {
    f.RunUntil(t);
    for (std::size_t i = 0; i < 3; ++i) {
      const Row& r = rows[i];
      const int now = f.Timers.Interval(r.timer);
      ASSERT_EQ(now != last[i], t == due[i]) << r.heading << " at " << t << " ms";
      if (now == last[i]) continue;
      last[i] = now;
      const bool pause = ++changes[i] % 2 == 1;
      EXPECT_EQ(r.paused, pause ? kTrue : 0) << r.heading << " at " << t << " ms";
      if (pause) {
        EXPECT_GE(now, r.pauseBase);
        EXPECT_LE(now, 3 * r.pauseBase);
      } else {
        EXPECT_EQ(now, r.run);
      }
      due[i] = t + (pause ? now : (k - 1) * r.run);
    }
  }
  for (int n : changes) EXPECT_GE(n, 4);
  // The empty file's later pages are still frame, heading and empty rows.
  EXPECT_FALSE(f.Ended());
  EXPECT_TRUE(ShowsPage(scene->framebuffer, f.picVB, "VISUAL BASIC WINDOW", {""}, f.picVB.OuterRect()));
}

}  // namespace
}  // namespace coderain
