#include "core/app/form1.h"

#include "core/panels/panel_frame.h"
#include "core/rain/glyph_strip.h"

namespace coderain {

namespace {

constexpr Color kCodeText = Rgb(0, 192, 0);

}  // namespace

Form1::Form1(Bitmap* fb, SceneFonts fonts, RandomSource* random, TextFolders texts, std::int64_t now)
    : Framebuffer(*fb),
      WindowSurface(fb),
      // Panels are added in layout order; a later one lies on top where
      // panels overlap (screens narrower than 420 pixels).
      picASM(WindowSurface.AddPanel("picASM")),
      picC(WindowSurface.AddPanel("picC")),
      picVB(WindowSurface.AddPanel("picVB")),
      picGame(WindowSurface.AddPanel("picGame")),
      picWatch(WindowSurface.AddPanel("picWatch")),
      picCommand(WindowSurface.AddPanel("picCommand")),
      digits(MakeGlyphStrip()),
      Timers(kTimerCount),
      Burst{{WindowSurface, digits, *random},
            {&picVB, &picC, &picASM, &picWatch, &picGame, &picCommand},
            State.BurstDone},
      Streams{Burst.rain, picGame, ScreenWidthPx, ScreenHeightPx},
      CodePanels(MakeCodePanels(*random)),
      Blocks{{&Timers, 14},
             State.WatchPhase,
             {picWatch, *random, GreenPalette, State.BlockGrid, State.BlockFalling, State.BlockColumn, State.BlockRow,
              State.BlockColor, State.GameOver}},
      Message{picCommand, MessageText, State.MessagePos, State.WipeDone, State.WipeBottom},
      fonts_(std::move(fonts)),
      texts_(std::move(texts)) {
  WindowSurface.SetFonts(fonts_.window.get(), nullptr);
  for (Panel* p : {&picASM, &picC, &picVB, &picCommand}) p->SetFonts(fonts_.panel.get(), fonts_.panelBold.get());
  picASM.ForeColor = picC.ForeColor = picVB.ForeColor = kCodeText;
  picCommand.ForeColor = kFrameGreen;

  SetTimers(now);
}

std::array<CodePanel, 3> Form1::MakeCodePanels(RandomSource& random) {
  // "ASSMEBLY" is the heading as the panel has always shown it. The pause
  // base and the run interval are in ms.
  return {CodePanel{"ASSMEBLY WINDOW",
                    picASM,
                    AsmFile,
                    State.AsmPanelStarted,
                    {&Timers, 6},
                    State.AsmPanelPaused,
                    400,
                    15,
                    random},
          CodePanel{"C++ WINDOW", picC, CFile, State.CPanelStarted, {&Timers, 11}, State.CPanelPaused, 500, 25, random},
          CodePanel{"VISUAL BASIC WINDOW",
                    picVB,
                    VbFile,
                    State.VbPanelStarted,
                    {&Timers, 12},
                    State.VbPanelPaused,
                    1000,
                    50,
                    random}};
}

void Form1::SetTimers(std::int64_t now) {
  // The one place where timers meet animations. The streams are in the
  // order of their timers; Timer13 ticks and does nothing.
  const TimerScheduler::Handler ticks[kTimerCount] = {
      [this] { NumberBurstTick(Burst); },
      [this] { StepStream(Streams, State.Streams[0]); },
      [this] { StepStream(Streams, State.Streams[1]); },
      [this] { StepStream(Streams, State.Streams[2]); },
      [this] { StepStream(Streams, State.Streams[3]); },
      [this] { CodePanelTick(CodePanels[0]); },
      [this] { StepStream(Streams, State.Streams[4]); },
      [this] { StepStream(Streams, State.Streams[5]); },
      [this] { StepStream(Streams, State.Streams[6]); },
      [this] { StepStream(Streams, State.Streams[7]); },
      [this] { CodePanelTick(CodePanels[1]); },
      [this] { CodePanelTick(CodePanels[2]); },
      nullptr,
      [this] { BlockPanelTick(Blocks); },
      [this] { MessagePanelTick(Message); },
  };
  for (int i = 0; i < kTimerCount; ++i) Timers.Set(i + 1, kTimerStartIntervals[i], ticks[i]);
  Timers.Start(now);
}

bool Form1::LoadScene(std::string* error) {
  LayoutScene();
  SourceFile* files[] = {&AsmFile, &CFile, &VbFile};
  for (std::size_t i = 0; i < kSourceFileNames.size(); ++i) {
    const std::string path = texts_.Path(i);
    std::string reason;
    if (!files[i]->Open(path, &reason)) {
      if (error) *error = "cannot open source file " + ShownPath(path) + ": " + reason;
      return false;
    }
  }
  MessageText = ComposeMessageText();
  GreenPalette = {Rgb(0, 32, 0), Rgb(0, 64, 0), Rgb(0, 96, 0), Rgb(0, 128, 0)};
  return true;
}

void Form1::LayoutScene() {
  ScreenWidthPx = Framebuffer.Width();
  ScreenHeightPx = Framebuffer.Height();
  const double sw = ScreenWidthPx;
  const double sh = ScreenHeightPx;
  WindowSurface.Move(sw, sh);
  picASM.Move(0, 0, 224, 179);
  picC.Move(0, 198, 224, 179);
  picVB.Move(0, 396, 224, 179);
  picGame.Move(0, 594, sw * 3 / 15, sh * 3 / 18);
  picWatch.Move(sw - 196, 0, 196, 388);
  picCommand.Move(sw - 196, 410, 196, 300);
}

void Form1::OnClick(Point screenPos) {
  if (ended_) return;
  Panel* p = PanelAt(screenPos);
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
