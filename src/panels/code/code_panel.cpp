#include "panels/code/code_panel.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "app/form1.h"

namespace coderain {

namespace {

constexpr Color kFrameColor = Rgb(0, 128, 0);

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
  const int right = static_cast<int>(panel.Width()) - 3;
  const int bottom = static_cast<int>(panel.Height()) - 3;
  panel.DrawRect({0, 0}, {right, bottom}, kFrameColor);
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

struct CodePanelRow {
  std::string_view heading;
  int timer;
  std::int32_t pauseBase;
  std::int32_t runInterval;
};

// The three code panels: heading, timer, pause base and run interval (ms).
// "ASSMEBLY" is the heading as the panel has always shown it.
constexpr CodePanelRow kAsmPanel = {"ASSMEBLY WINDOW", 6, 400, 15};
constexpr CodePanelRow kCPanel = {"C++ WINDOW", 11, 500, 25};
constexpr CodePanelRow kVbPanel = {"VISUAL BASIC WINDOW", 12, 1000, 50};

}  // namespace

void CodePanelTick(Form1& f, std::string_view heading, Panel& panel, SourceFile& file, std::int32_t& started, int timer,
                   std::int16_t& paused, std::int32_t pauseBase, std::int32_t runInterval) {
  if (file.AtEnd()) file.Rewind();
  // An empty file is still at its end after the rewind; it reads as an empty
  // line, so its panel keeps showing pages of empty rows.
  const std::string_view line = file.ReadLine();

  if (started == 0) {
    StartPage(panel, heading);
    started = 1;
  }

  if (PanelFull(panel)) {
    if (paused != kFalse) {
      panel.Clear();
      StartPage(panel, heading);
      paused = kFalse;
      f.timers.SetInterval(timer, runInterval);
    } else {
      // The pause lasts pauseBase to 3 x pauseBase ms, a whole number.
      const float r = static_cast<float>(f.random.Next());
      const double pause = pauseBase + 2.0 * pauseBase * static_cast<double>(r);
      f.timers.SetInterval(timer, static_cast<int>(RoundHalfEven(pause)));
      paused = kTrue;
    }
  }

  // The page's last row is printed on the tick that starts the pause, and
  // the next page's first row on the tick that ends it.
  PrintRow(panel, line, kTrailingBlanks);
}

namespace {

void Tick(Form1& f, const CodePanelRow& p, Panel& panel, SourceFile& file, std::int32_t& started,
          std::int16_t& paused) {
  CodePanelTick(f, p.heading, panel, file, started, p.timer, paused, p.pauseBase, p.runInterval);
}

}  // namespace

void Timer6Tick(Form1& f) { Tick(f, kAsmPanel, f.picASM, f.AsmFile, f.state.AsmPanelStarted, f.state.AsmPanelPaused); }

void Timer11Tick(Form1& f) { Tick(f, kCPanel, f.picC, f.CFile, f.state.CPanelStarted, f.state.CPanelPaused); }

void Timer12Tick(Form1& f) { Tick(f, kVbPanel, f.picVB, f.VbFile, f.state.VbPanelStarted, f.state.VbPanelPaused); }

void Timer13Tick(Form1& f) { (void)f; }

}  // namespace coderain
