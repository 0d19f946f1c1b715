#include "app/form1.h"

#include "panels/blocks/build_up.h"
#include "panels/code/code_panel.h"
#include "panels/message/typewriter.h"
#include "rain/falling_streams.h"
#include "rain/glyph_strip.h"
#include "rain/number_burst.h"

namespace coderain {

namespace {

struct TimerRow {
  int interval;
  void (*tick)(Form1&);
};

// The fifteen timers with their starting intervals, Timer1 first.
constexpr TimerRow kTimers[Form1::kTimerCount] = {
    {10, Timer1Tick},
    {15, [](Form1& f) { StreamTick(f, 0); }},
    {21, [](Form1& f) { StreamTick(f, 1); }},
    {27, [](Form1& f) { StreamTick(f, 2); }},
    {33, [](Form1& f) { StreamTick(f, 3); }},
    {10, Timer6Tick},
    {57, [](Form1& f) { StreamTick(f, 4); }},
    {51, [](Form1& f) { StreamTick(f, 5); }},
    {45, [](Form1& f) { StreamTick(f, 6); }},
    {39, [](Form1& f) { StreamTick(f, 7); }},
    {50, Timer11Tick},
    {100, Timer12Tick},
    {10, Timer13Tick},
    {1000, Timer14Tick},
    {40, Timer15Tick},
};

constexpr Color kCodeText = Rgb(0, 192, 0);
constexpr Color kMessageText = Rgb(0, 128, 0);

}  // namespace

Form1::Form1(Bitmap* fb, SceneFonts loadedFonts, RandomSource* source, std::string dir, std::int64_t now)
    : framebuffer(*fb),
      form(fb),
      // Panels are added in layout order; a later one lies on top where
      // panels overlap (screens narrower than 420 pixels).
      picASM(form.AddPanel("picASM")),
      picC(form.AddPanel("picC")),
      picVB(form.AddPanel("picVB")),
      picGame(form.AddPanel("picGame")),
      picWatch(form.AddPanel("picWatch")),
      picCommand(form.AddPanel("picCommand")),
      digits(MakeGlyphStrip()),
      timers(kTimerCount),
      random(*source),
      fonts(std::move(loadedFonts)),
      programDir(std::move(dir)) {
  form.SetFonts(fonts.window.get(), nullptr);
  for (Panel* p : {&picASM, &picC, &picVB, &picCommand}) p->SetFonts(fonts.panel.get(), fonts.panelBold.get());
  picASM.ForeColor = picC.ForeColor = picVB.ForeColor = kCodeText;
  picCommand.ForeColor = kMessageText;
  for (int i = 0; i < kTimerCount; ++i) {
    void (*tick)(Form1&) = kTimers[i].tick;
    timers.Set(i + 1, kTimers[i].interval, [this, tick] { tick(*this); });
  }
  timers.Start(now);
}

bool Form1::Start(StartupError* error) {
  CreateScene();
  return LoadScene(error);
}

void Form1::CreateScene() { maximised_ = true; }

bool Form1::LoadScene(StartupError* error) {
  LayoutScene();
  struct Source {
    SourceFile* file;
    const char* name;
  };
  for (Source s : {Source{&AsmFile, "codeASM.txt"}, Source{&CFile, "codeC.txt"}, Source{&VbFile, "codeVB.txt"}}) {
    // The name is appended to the directory as it is, so a program at the
    // root finds "//codeASM.txt", which names the same file.
    std::string path = programDir + "/" + s.name;
    std::string reason;
    if (!s.file->Open(path, &reason)) {
      if (error) error->message = "cannot open source file " + path + ": " + reason;
      return false;
    }
  }
  MessageText = ComposeMessageText();
  GreenPalette = {Rgb(0, 32, 0), Rgb(0, 64, 0), Rgb(0, 96, 0), Rgb(0, 128, 0)};
  return true;
}

void Form1::LayoutScene() {
  ScreenWidthPx = framebuffer.Width();
  ScreenHeightPx = framebuffer.Height();
  const double sw = ScreenWidthPx;
  const double sh = ScreenHeightPx;
  form.Move(sw, sh);
  picASM.Move(0, 0, 224, 179);
  picC.Move(0, 198, 224, 179);
  picVB.Move(0, 396, 224, 179);
  picGame.Move(0, 594, sw * 3 / 15, sh * 3 / 18);
  picWatch.Move(sw - 196, 0, 196, 388);
  picCommand.Move(sw - 196, 410, 196, 300);
}

void Form1::OnClick(Point screenPos) {
  if (ended_) return;
  Panel* p = form.PanelAt(screenPos);
  if (p == nullptr || p == &picASM) EndScene();
}

void Form1::OnKeyDown() {
  if (!ended_) EndScene();
}

// The files are released with the process; nothing else runs.
void Form1::EndScene() { ended_ = true; }

void Form1::CloseScene() {
  if (ended_) return;
  AsmFile.Close();
  CFile.Close();
  VbFile.Close();
  ended_ = true;
}

}  // namespace coderain
