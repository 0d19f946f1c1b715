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
  explicit MessageScene(int width = 1024, int height = 768) {
    scene = std::make_unique<test::Scene>(width, height, nullptr, test::Texts("MOV AX, BX\r\n"));
  }
  Form1& form() { return **scene; }
  Panel& panel() { return scene->form->picCommand; }
  const Bitmap& pixels() const { return scene->framebuffer; }

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

// The first pixel of the panel's drawing area that is not expect(x, y), in
// the panel's own pixels, or "" when there is none.
std::string FirstMismatch(const MessageScene& m, const Panel& p, const std::function<Color(int, int)>& expect) {
  return test::FirstDifference(m.pixels(), p.DrawArea(), expect);
}

TEST(MessageText, SixteenLinesOfTheGivenLengthsJoinedByCrLf) {
  const std::string text = ComposeMessageText();
  EXPECT_EQ(text.size(), 344u);
  EXPECT_NE(text.substr(text.size() - 2), "\r\n");
  // The lines as their table gives them, each with its length; the credit
  // line is 22 characters from a blank.
  struct Line {
    const char* text;
    std::size_t length;
  };
  const Line table[] = {{nullptr, 22},
                        {" CODE KORVEX SCREEN SAVER V1.0", 30},
                        {" PRESS THE MOUSE BUTTON TO EXIT", 31},
                        {"", 0},
                        {" VISUAL BASIC IS BACK", 21},
                        {" ALL THE THREADS RUNNING ON THE SCREEN", 38},
                        {" ARE CONTROLLED BY A TIMER", 26},
                        {"", 0},
                        {" THE VB TIMER OBJECT IS POWERFUL", 32},
                        {" AND IS ABLE TO GIVE THE FEELING", 32},
                        {" OF A MULTI THREADED APPLICATION", 32},
                        {"", 0},
                        {" DON'T FORGET TO GO BACK TO THE", 31},
                        {" REAL LIFE", 10},
                        {"", 0},
                        {" ENJOY :)", 9}};
  const std::vector<std::string> lines = SplitLines(text);
  ASSERT_EQ(lines.size(), std::size(table));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].size(), table[i].length) << i + 1;
    if (table[i].text) {
      EXPECT_EQ(lines[i], table[i].text) << i + 1;
    }
  }
  EXPECT_EQ(lines[0].rfind(" CODERAIN", 0), 0u);

  MessageScene m;
  ASSERT_TRUE(m.scene->started) << m.scene->error;
  EXPECT_EQ(m.form().MessageText, text);
}

// One cycle at 196 x 300: the frame and the first character on tick 1, one
// character a tick, 24 ticks of stillness, 59 wipe rectangles from the top
// and an empty tick before the next cycle.
TEST(Typewriter, OneCycleTickByTick) {
  MessageScene m;
  ASSERT_TRUE(m.scene->started) << m.scene->error;
  Form1& f = m.form();
  Panel& p = m.panel();
  SceneState& s = f.State;
  ASSERT_EQ(f.MessageText.size(), static_cast<std::size_t>(kLen));
  const int row = p.TextHeight("a");

  // Tick 1: the frame along the drawing area's edge, the border outside it
  // black, the text position on the second row past the first character
  // (a blank, so no text pixel yet).
  MessagePanelTick(f.Message);
  EXPECT_EQ(s.MessagePos, 2);
  EXPECT_EQ(s.WipeDone, 0);
  EXPECT_EQ(s.WipeBottom, 1);
  EXPECT_EQ(p.CurrentX, p.TextWidth(" "));
  EXPECT_EQ(p.CurrentY, row);
  EXPECT_EQ(
      FirstMismatch(m, p, [](int x, int y) { return x == 0 || y == 0 || x == 193 || y == 297 ? kFrameGreen : kBlack; }),
      "");
  Rect outer = p.OuterRect();
  EXPECT_EQ(test::CountPixels(m.pixels(), outer, kBlack), outer.w * outer.h - (2 * 194 + 2 * 298 - 4));

  // Tick 2 types the credit line's first letter at the second character
  // cell of the second row.
  MessagePanelTick(f.Message);
  EXPECT_EQ(s.MessagePos, 3);
  const int cell = p.TextWidth(" ");
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

  // Ticks 345 to 368: the full text stands, nothing is drawn.
  const std::vector<Color> typed = test::Snapshot(m.pixels(), outer);
  for (int tick = kLen + 1; tick <= kLen + 24; ++tick) {
    MessagePanelTick(f.Message);
    ASSERT_EQ(s.MessagePos, tick + 1) << "tick " << tick;
    ASSERT_EQ(test::Snapshot(m.pixels(), outer), typed) << "tick " << tick;
  }

  // Paint the drawing area white so that every wipe rectangle shows, and
  // so does whatever is left unwiped.
  p.FillRect({0, 0}, {193, 297}, kWhite);
  auto wiped = [](int bottom) {
    return [bottom](int x, int y) { return x >= 1 && x <= 192 && y >= 1 && y <= bottom ? kBlack : kWhite; };
  };

  // Ticks 369 to 427: the k-th rectangle reaches down to 1 + 5k.
  for (int k = 0; k <= 58; ++k) {
    const int tick = kLen + 25 + k;
    MessagePanelTick(f.Message);
    ASSERT_EQ(s.MessagePos, tick + 1) << "tick " << tick;
    ASSERT_EQ(s.WipeBottom, 6 + 5 * k) << "tick " << tick;
    ASSERT_EQ(s.WipeDone, 0) << "tick " << tick;
    ASSERT_EQ(FirstMismatch(m, p, wiped(1 + 5 * k)), "") << "tick " << tick;
  }

  // Tick 428: WipeBottom is 296, not below 294; the cycle ends, nothing drawn.
  const std::vector<Color> last = test::Snapshot(m.pixels(), outer);
  f.Damage().Clear();
  MessagePanelTick(f.Message);
  EXPECT_EQ(s.MessagePos, 0);
  EXPECT_EQ(s.WipeBottom, 296);
  EXPECT_TRUE(f.Damage().Empty());
  EXPECT_EQ(test::Snapshot(m.pixels(), outer), last);

  // Tick 429 starts the next cycle: the frame is drawn over the old one and
  // the panel is not cleared, so the rows below the wipe keep their white.
  MessagePanelTick(f.Message);
  EXPECT_EQ(s.MessagePos, 2);
  EXPECT_EQ(s.WipeBottom, 1);
  EXPECT_EQ(p.CurrentY, row);
  EXPECT_EQ(FirstMismatch(m, p,
                          [&](int x, int y) {
                            if (x == 0 || y == 0 || x == 193 || y == 297) return kFrameGreen;
                            return wiped(291)(x, y);
                          }),
            "");
}

// However tall the panel, a cycle draws at most 76 wipe rectangles; the last
// one reaches 376 and the rows below it keep what they showed.
TEST(Typewriter, WipeStopsAfterSeventySixRectangles) {
  struct Case {
    int height;
    int rectangles;
  };
  for (Case c : {Case{382, 75}, Case{383, 76}, Case{388, 76}, Case{700, 76}}) {
    SCOPED_TRACE("height " + std::to_string(c.height));
    MessageScene m;
    ASSERT_TRUE(m.scene->started) << m.scene->error;
    Form1& f = m.form();
    Panel& p = m.panel();
    SceneState& s = f.State;
    p.Move(p.Left(), 0, 196, c.height);
    const int bottomRow = c.height - 3;

    for (int tick = 1; tick <= kLen + 24; ++tick) MessagePanelTick(f.Message);
    p.FillRect({0, 0}, {193, bottomRow}, kWhite);

    int rectangles = 0;
    int ticks = kLen + 24;
    while (s.MessagePos != 0 && ticks < 1000) {
      const int before = s.WipeBottom;
      MessagePanelTick(f.Message);
      ++ticks;
      if (s.WipeBottom != before) {
        ++rectangles;
        EXPECT_EQ(s.WipeBottom, before + 5);
        // WipeDone comes with the 76th rectangle, on tick Len + 100.
        EXPECT_EQ(s.WipeDone, ticks == kLen + 100 ? -1 : 0) << "tick " << ticks;
      }
    }
    EXPECT_EQ(rectangles, c.rectangles);
    EXPECT_EQ(ticks, kLen + 25 + c.rectangles);
    const int lastBottom = 1 + 5 * (c.rectangles - 1);
    EXPECT_EQ(
        FirstMismatch(m, p,
                      [&](int x, int y) { return x >= 1 && x <= 192 && y >= 1 && y <= lastBottom ? kBlack : kWhite; }),
        "");

    MessagePanelTick(f.Message);
    EXPECT_EQ(s.MessagePos, 2);
    EXPECT_EQ(s.WipeDone, 0);
    EXPECT_EQ(s.WipeBottom, 1);
    EXPECT_EQ(test::CountInPanel(m.pixels(), p, 0, bottomRow, 193, bottomRow, kFrameGreen), 194);
  }
}

// The scene's own timer drives the panel: Timer15 ticks every 40 ms, and
// when the typing ends the whole message stands on rows 2 to 17, exactly as
// printed line by line.
TEST(Typewriter, TimerTypesTheWholeMessageOnRowsTwoToSeventeen) {
  MessageScene m;
  ASSERT_TRUE(m.scene->started) << m.scene->error;
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
  ASSERT_TRUE(reference.scene->started) << reference.scene->error;
  Panel& q = reference.panel();
  q.DrawRect({0, 0}, {193, 297}, kFrameGreen);
  q.CurrentX = 0;
  q.CurrentY = 0;
  q.Print("", true);
  for (const std::string& line : SplitLines(ComposeMessageText())) q.Print(line, true);
  EXPECT_EQ(FirstMismatch(m, p,
                          [&](int x, int y) {
                            Rect area = q.DrawArea();
                            return reference.pixels().Pixel(area.x + x, area.y + y);
                          }),
            "");

  // Row by row: the first row is empty, rows 2 to 17 hold text where their
  // line does, and nothing stands below them.
  const int row = p.TextHeight("a");
  const std::vector<std::string> lines = SplitLines(f.MessageText);
  EXPECT_EQ(test::CountInPanel(m.pixels(), p, 1, 1, 192, row - 1, kFrameGreen), 0);
  for (int r = 2; r <= 17; ++r) {
    const int green = test::CountInPanel(m.pixels(), p, 1, (r - 1) * row, 192, r * row - 1, kFrameGreen);
    if (lines[static_cast<std::size_t>(r - 2)].empty()) {
      EXPECT_EQ(green, 0) << "row " << r;
    } else {
      EXPECT_GT(green, 0) << "row " << r;
    }
  }
  EXPECT_EQ(test::CountInPanel(m.pixels(), p, 1, 17 * row, 192, 296, kFrameGreen), 0);

  f.RunUntil(40 * 428);
  EXPECT_EQ(f.State.MessagePos, 0);
  f.RunUntil(40 * 429);
  EXPECT_EQ(f.State.MessagePos, 2);
}

}  // namespace
}  // namespace coderain
