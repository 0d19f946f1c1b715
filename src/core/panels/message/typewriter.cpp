#include "core/panels/message/typewriter.h"

#include <array>
#include <string_view>

#include "core/base/flags.h"
#include "core/panels/panel_frame.h"

namespace coderain {

namespace {

// The message, line by line. Empty lines stand for a blank row; every other
// line begins with a blank so the text keeps off the frame.
constexpr std::array<std::string_view, 16> kMessageLines = {
    " CODERAIN 2026 EDITION",
    " CODE KORVEX SCREEN SAVER V1.0",
    " PRESS THE MOUSE BUTTON TO EXIT",
    "",
    " VISUAL BASIC IS BACK",
    " ALL THE THREADS RUNNING ON THE SCREEN",
    " ARE CONTROLLED BY A TIMER",
    "",
    " THE VB TIMER OBJECT IS POWERFUL",
    " AND IS ABLE TO GIVE THE FEELING",
    " OF A MULTI THREADED APPLICATION",
    "",
    " DON'T FORGET TO GO BACK TO THE",
    " REAL LIFE",
    "",
    " ENJOY :)",
};

// After the last character the full text stands for this many ticks before
// the first wipe rectangle.
constexpr int kHoldTicks = 24;
// The wipe stops this many characters' worth of ticks past the text's end,
// however much of the panel is left: at most 76 rectangles a cycle.
constexpr int kWipeLimit = 100;
// Each wipe rectangle reaches this many pixels lower than the one before.
constexpr int kWipeStep = 5;

// Types one character of the message. A CR draws nothing; the LF after it
// ends the row, so the next character starts the next row at the left.
void TypeCharacter(Panel& p, char c) {
  if (c == '\r') return;
  if (c == '\n') {
    p.Print("", true);
    return;
  }
  p.FontBold = false;
  p.Print(std::string_view(&c, 1), false);
}

}  // namespace

std::string ComposeMessageText() {
  std::string text;
  for (std::size_t i = 0; i < kMessageLines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += kMessageLines[i];
  }
  return text;
}

void MessagePanelTick(const MessagePanel& m) {
  Panel& p = m.picCommand;
  const int len = static_cast<int>(m.MessageText.size());
  const int width = static_cast<int>(p.Width());
  const int height = static_cast<int>(p.Height());

  if (m.MessagePos == 0) {
    // A new cycle. The panel is not cleared: the last cycle's wipe has
    // already blacked out the text, and the frame is drawn over the old one.
    DrawFrame(p, kFrameGreen);
    p.CurrentX = 0;
    p.CurrentY = 0;
    // The first row stays empty; the message starts on the second.
    p.Print("", true);
    m.WipeDone = kFalse;
    m.WipeBottom = 1;
    m.MessagePos = 1;
  }

  if (m.MessagePos <= len) TypeCharacter(p, m.MessageText[static_cast<std::size_t>(m.MessagePos - 1)]);
  ++m.MessagePos;

  if (m.MessagePos > len + kHoldTicks + 1) {
    if (m.WipeDone == kFalse && height - 6 > m.WipeBottom) {
      // The wipe grows from the top down, inside the frame.
      p.FillRect({1, 1}, {width - 4, m.WipeBottom}, kBlack);
      m.WipeBottom += kWipeStep;
      if (m.MessagePos > len + kWipeLimit) m.WipeDone = kTrue;
    } else {
      // The wipe is over: this tick draws nothing and the next starts anew.
      m.MessagePos = 0;
    }
  }
}

}  // namespace coderain
