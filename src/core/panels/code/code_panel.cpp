#include "core/panels/code/code_panel.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/base/flags.h"
#include "core/panels/panel_frame.h"

namespace coderain {

namespace {

// Blanks printed after every line. Text is transparent, so they paint
// nothing; they are part of the row all the same.
constexpr std::size_t kTrailingBlanks = 100;

// A row is put together in a buffer on the stack, so printing allocates
// nothing. Text past kMaxLineChars characters is dropped: it lies far beyond
// the right edge of any panel.
constexpr std::size_t kRowCapacity = 1 + SourceFile::kMaxLineChars + kTrailingBlanks;

// Prints one blank, `text` and `blanks` more blanks, then ends the row.
void PrintRow(Panel& panel, std::string_view text, std::size_t blanks) {
  std::array<char, kRowCapacity> row;
  std::size_t n = std::min(text.size(), SourceFile::kMaxLineChars);
  row[0] = ' ';
  std::memcpy(row.data() + 1, text.data(), n);
  blanks = std::min(blanks, kTrailingBlanks);
  std::memset(row.data() + 1 + n, ' ', blanks);
  panel.Print(std::string_view(row.data(), 1 + n + blanks), true);
}

// Frame, bold heading 5 pixels below the top, and 5 more pixels before the
// first line of the page.
void StartPage(Panel& panel, std::string_view heading) {
  DrawFrame(panel, kFrameGreen);
  panel.CurrentX = 0;
  panel.CurrentY = 5;
  panel.FontBold = true;
  PrintRow(panel, heading, 0);
  panel.FontBold = false;
  panel.CurrentY += 5;
}

// The panel is full once the text position has gone past three rows above
// its bottom edge; reaching that line exactly is not full yet. The limit is
// taken in single precision.
bool PanelFull(const Panel& panel) {
  const float limit = static_cast<float>(panel.Height() - 3 * panel.TextHeight("a"));
  return static_cast<double>(limit) < panel.CurrentY;
}

}  // namespace

void CodePanelTick(const CodePanel& p) {
  Panel& panel = p.panel;
  SourceFile& file = p.file;
  if (file.AtEnd()) file.Rewind();
  // An empty file is still at its end after the rewind; it reads as an empty
  // line, so its panel keeps showing pages of empty rows.
  const std::string_view line = file.ReadLine();

  if (p.started == 0) {
    StartPage(panel, p.heading);
    p.started = 1;
  }

  if (PanelFull(panel)) {
    if (p.paused != kFalse) {
      panel.Clear();
      StartPage(panel, p.heading);
      p.paused = kFalse;
      p.timer.SetInterval(p.runInterval);
    } else {
      // The pause lasts pauseBase to 3 x pauseBase ms, a whole number.
      const float r = static_cast<float>(p.random.Next());
      const double pause = p.pauseBase + 2.0 * p.pauseBase * static_cast<double>(r);
      p.timer.SetInterval(static_cast<int>(RoundHalfEven(pause)));
      p.paused = kTrue;
    }
  }

  // The page's last row is printed on the tick that starts the pause, and
  // the next page's first row on the tick that ends it.
  PrintRow(panel, line, kTrailingBlanks);
}

}  // namespace coderain
