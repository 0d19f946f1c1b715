#include "core/panels/message/typewriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/form1.h"
#include "core/panels/panel_frame.h"
#include "test_support.h"

namespace coderain {
namespace {

constexpr Color kWhite = Rgb(255, 255, 255);
constexpr int kLen = 344;

// A started scene over source files of its own, so that the message panel
// can be tested whatever the code panels are fed with.
struct MessageScene {
  MessageScene() : scene(std::make_unique<test::Scene>(1024, 768, nullptr, test::Texts("MOV AX, BX\r\n"))) {
    EXPECT_TRUE(scene->started) << scene->error;
  }
  Form1& form() { return **scene; }
  Panel& panel() { return scene->form->picCommand; }
  const Bitmap& pixels() const { return scene->framebuffer; }
  // The first pixel of the panel's drawing area that is not expect(x, y),
  // in the panel's own pixels, or "" when there is none.
  std::string FirstMismatch(const std::function<Color(int, int)>& expect) {
    return test::FirstDifference(pixels(), panel().DrawArea(), expect);
  }

  std::unique_ptr<test::Scene> scene;
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return lines;
    start = end + 2;
  }
}

TEST(MessageText, SixteenLinesJoinedByCrLf) {
  const std::string text = ComposeMessageText();
  EXPECT_EQ(text.size(), static_cast<std::size_t>(kLen));
  // The credit line is held only to its start and its length of 22; the
  // text ends without a row end.
  EXPECT_EQ(text.rfind(" CODERAIN", 0), 0u);
  EXPECT_EQ(text.find("\r\n"), 22u);
  EXPECT_EQ(
      text.substr(22),
      "\r\n CODE KORVEX SCREEN SAVER V1.0\r\n PRESS THE MOUSE BUTTON TO EXIT\r\n\r\n VISUAL BASIC IS BACK"
      "\r\n ALL THE THREADS RUNNING ON THE SCREEN\r\n ARE CONTROLLED BY A TIMER\r\n"
      "\r\n THE VB TIMER OBJECT IS POWERFUL\r\n AND IS ABLE TO GIVE THE FEELING\r\n OF A MULTI THREADED APPLICATION"
      "\r\n\r\n DON'T FORGET TO GO BACK TO THE\r\n REAL LIFE\r\n\r\n ENJOY :)");
  MessageScene m;
  EXPECT_EQ(m.form().MessageText, text);
}

// Whole cycles, tick by tick, at the laid-out height of 300 and at heights
// around the one where the wipe's limit of 76 rectangles takes over: the
// frame and the first character on tick 1, one character a tick, 24 ticks of
// stillness, wipe rectangles from the top until the panel is nearly covered
// or 76 are drawn, an empty tick, then the next cycle.
TEST(Typewriter, WholeCyclesTickByTick) {
  struct Case {
    int height;
    int rectangles;
  };
  for (Case c : {Case{300, 59}, Case{382, 75}, Case{383, 76}, Case{388, 76}, Case{700, 76}}) {
    SCOPED_TRACE("height " + std::to_string(c.height));
    MessageScene m;
    Form1& f = m.form();
    Panel& p = m.panel();
    SceneState& s = f.State;
    p.Move(p.Left(), c.height == 300 ? p.Top() : 0, 196, c.height);
    const int bottom = c.height - 3;  // the drawing area's last row
    const int row = p.TextHeight("a");
    const int cell = p.TextWidth(" ");
    const Rect outer = p.OuterRect();
    const auto frame = [bottom](int x, int y) { return x == 0 || y == 0 || x == 193 || y == bottom; };

    // Tick 1: the frame along the drawing area's edge, the border outside it
    // black, the text position on the second row past the first character
    // (a blank, so no text pixel yet).
    MessagePanelTick(f.Message);
    EXPECT_EQ(s.MessagePos, 2);
    EXPECT_EQ(s.WipeDone, 0);
    EXPECT_EQ(s.WipeBottom, 1);
    EXPECT_EQ(p.CurrentX, cell);
    EXPECT_EQ(p.CurrentY, row);
    EXPECT_EQ(m.FirstMismatch([&](int x, int y) { return frame(x, y) ? kFrameGreen : kBlack; }), "");
    EXPECT_EQ(test::CountPixels(m.pixels(), outer, kBlack), outer.w * outer.h - (2 * 194 + 2 * (bottom + 1) - 4));

    // Tick 2 types the credit line's first letter at the second character
    // cell of the second row; then one character a tick.
    MessagePanelTick(f.Message);
    EXPECT_EQ(s.MessagePos, 3);
    EXPECT_GT(test::CountInPanel(m.pixels(), p, cell, row, 2 * cell - 1, 2 * row - 1, kFrameGreen), 0);
    EXPECT_EQ(test::CountInPanel(m.pixels(), p, 1, 1, 192, row - 1, kFrameGreen), 0);
    for (int tick = 3; tick <= kLen; ++tick) {
      MessagePanelTick(f.Message);
      ASSERT_EQ(s.MessagePos, tick + 1) << "tick " << tick;
      ASSERT_EQ(s.WipeBottom, 1) << "tick " << tick;
      ASSERT_EQ(s.WipeDone, 0) << "tick " << tick;
    }
    // The last character ends the last row; no row end follows it.
    EXPECT_EQ(p.CurrentY, 16 * row);
    EXPECT_EQ(p.CurrentX, p.TextWidth(" ENJOY :)"));

    // The full text stands for 24 ticks; nothing is drawn.
    const std::vector<Color> typed = test::Snapshot(m.pixels(), outer);
    for (int tick = kLen + 1; tick <= kLen + 24; ++tick) {
      MessagePanelTick(f.Message);
      ASSERT_EQ(s.MessagePos, tick + 1) << "tick " << tick;
      ASSERT_EQ(test::Snapshot(m.pixels(), outer), typed) << "tick " << tick;
    }

    // Paint the drawing area white so that every wipe rectangle shows, and
    // so does whatever is left unwiped. The k-th rectangle reaches down to
    // 1 + 5k; WipeDone comes with the 76th, on tick kLen + 100.
    p.FillRect({0, 0}, {193, bottom}, kWhite);
    const auto wiped = [](int to) {
      return [to](int x, int y) { return x >= 1 && x <= 192 && y >= 1 && y <= to ? kBlack : kWhite; };
    };
    for (int k = 0; k < c.rectangles; ++k) {
      const int tick = kLen + 25 + k;
      MessagePanelTick(f.Message);
      ASSERT_EQ(s.MessagePos, tick + 1) << "tick " << tick;
      ASSERT_EQ(s.WipeBottom, 6 + 5 * k) << "tick " << tick;
      ASSERT_EQ(s.WipeDone, tick == kLen + 100 ? -1 : 0) << "tick " << tick;
      ASSERT_EQ(m.FirstMismatch(wiped(1 + 5 * k)), "") << "tick " << tick;
    }

    // The next tick ends the cycle and draws nothing.
    const std::vector<Color> last = test::Snapshot(m.pixels(), outer);
    f.Damage().Clear();
    MessagePanelTick(f.Message);
    EXPECT_EQ(s.MessagePos, 0);
    EXPECT_EQ(s.WipeBottom, 1 + 5 * c.rectangles);
    EXPECT_TRUE(f.Damage().Empty());
    EXPECT_EQ(test::Snapshot(m.pixels(), outer), last);

    // The next cycle draws the frame over the old one and does not clear
    // the panel, so the rows below the wipe keep their white.
    MessagePanelTick(f.Message);
    EXPECT_EQ(s.MessagePos, 2);
    EXPECT_EQ(s.WipeDone, 0);
    EXPECT_EQ(s.WipeBottom, 1);
    EXPECT_EQ(p.CurrentY, row);
    const auto after = wiped(1 + 5 * (c.rectangles - 1));
    EXPECT_EQ(m.FirstMismatch([&](int x, int y) { return frame(x, y) ? kFrameGreen : after(x, y); }), "");
  }
}

// The scene's own timer drives the panel: Timer15 ticks every 40 ms, and
// when the typing ends the whole message stands on rows 2 to 17, exactly as
// printed line by line.
TEST(Typewriter, TimerTypesTheWholeMessageOnRowsTwoToSeventeen) {
  MessageScene m;
  Form1& f = m.form();
  Panel& p = m.panel();
  EXPECT_EQ(f.Timers.Interval(15), 40);
  f.RunUntil(39);
  EXPECT_EQ(f.State.MessagePos, 0);
  f.RunUntil(40);
  EXPECT_EQ(f.State.MessagePos, 2);
  f.RunUntil(40 * kLen);
  EXPECT_EQ(f.State.MessagePos, kLen + 1);

  // The same text printed a line at a time on a panel that never ticked.
  MessageScene reference;
  Panel& q = reference.panel();
  q.DrawRect({0, 0}, {193, 297}, kFrameGreen);
  q.CurrentX = 0;
  q.CurrentY = 0;
  q.Print("", true);
  const std::vector<std::string> lines = SplitLines(f.MessageText);
  for (const std::string& line : lines) q.Print(line, true);
  const Rect area = q.DrawArea();
  EXPECT_EQ(m.FirstMismatch([&](int x, int y) { return reference.pixels().Pixel(area.x + x, area.y + y); }), "");

  // Row by row: the first row is empty, rows 2 to 17 hold text where their
  // line does, and nothing stands below them.
  const int row = p.TextHeight("a");
  const auto green = [&](int y0, int y1) { return test::CountInPanel(m.pixels(), p, 1, y0, 192, y1, kFrameGreen); };
  EXPECT_EQ(green(1, row - 1), 0);
  for (int r = 2; r <= 17; ++r)
    EXPECT_EQ(green((r - 1) * row, r * row - 1) > 0, !lines[static_cast<std::size_t>(r - 2)].empty()) << "row " << r;
  EXPECT_EQ(green(17 * row, 296), 0);

  f.RunUntil(40 * 428);
  EXPECT_EQ(f.State.MessagePos, 0);
  f.RunUntil(40 * 429);
  EXPECT_EQ(f.State.MessagePos, 2);
}

}  // namespace
}  // namespace coderain
