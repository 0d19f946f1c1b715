// Form1: the scene window and the owner of everything the display holds.
//
// The core knows no real clock, no operating system window and no input
// device: the front ends create a Form1 over a framebuffer, hand it the time
// and pass on clicks and key presses.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/app/scene_state.h"
#include "core/base/random_source.h"
#include "core/base/source_file.h"
#include "core/base/timer_scheduler.h"
#include "core/gfx/bitmap.h"
#include "core/gfx/damage.h"
#include "core/gfx/font.h"
#include "core/gfx/surface.h"
#include "core/panels/blocks/build_up.h"
#include "core/panels/code/code_panel.h"
#include "core/panels/message/typewriter.h"
#include "core/rain/falling_streams.h"
#include "core/rain/number_burst.h"

namespace coderain {

inline constexpr int kTimerCount = 15;

// Each timer's interval when the scene starts, in ms: Timer1 first.
inline constexpr std::array<int, kTimerCount> kTimerStartIntervals = {
    10, 15, 21, 27, 33, 10, 57, 51, 45, 39, 50, 100, 10, 1000, 40,
};

// The source files picASM, picC and picVB scroll, in the program's folder
// or the one given, in that order.
inline constexpr std::array<const char*, 3> kSourceFileNames = {"codeASM.txt", "codeC.txt", "codeVB.txt"};

class Form1 {
 public:
  // Creates the window over `framebuffer` (whose size is the screen's) with
  // SceneState zero-filled, the controls in their initial state and every
  // timer enabled at `now`. The fonts must be loaded; `random` and the
  // framebuffer must outlive the form.
  Form1(Bitmap* framebuffer, SceneFonts fonts, RandomSource* random, std::string programDir, std::int64_t now = 0);

  // Start-up: LoadScene (layout, the three source files, the message, the
  // palette). Returns false and sets *error, one line naming what failed and
  // where, when a step fails; nothing after the failing step has run.
  bool Start(std::string* error) { return LoadScene(error); }

  // Runs every timer tick due at or before `now` (see TimerScheduler).
  void RunUntil(std::int64_t now, const TimerScheduler::Clock& clock = nullptr) {
    if (!ended_) Timers.RunUntil(now, clock);
  }
  // When the next tick is due, and how late a tick may run in its turn
  // (see TimerScheduler).
  std::int64_t NextDue() const { return Timers.NextDue(); }
  void SetLatenessAllowed(std::int64_t ms) { Timers.SetLatenessAllowed(ms); }

  // Input. A click is a button pressed and released: the program ends on a
  // click on the window's own surface or on picASM; on the other panels it
  // does nothing. Any key press ends it.
  void OnClick(Point screenPos);
  void OnKeyDown();
  // A close request by any other route (the system, a signal).
  void OnCloseRequest() { CloseScene(); }

  // True once EndScene or CloseScene has run: the front end then stops.
  bool Ended() const { return ended_; }

  // The rectangles drawn since the front end last cleared the list.
  DamageList& Damage() { return WindowSurface.Damage(); }
  // The topmost visible panel at screen pixel p, or null for the window's
  // own surface.
  Panel* PanelAt(Point p) const { return WindowSurface.PanelAt(p); }

  // --- The scene's controls and data ---
  Bitmap& Framebuffer;
  Window WindowSurface;  // the window's own drawing surface, under the panels
  Panel& picASM;
  Panel& picC;
  Panel& picVB;
  Panel& picGame;
  Panel& picWatch;
  Panel& picCommand;
  Bitmap digits;  // the glyph strip, never shown
  TimerScheduler Timers;
  SceneState State;

  SourceFile AsmFile;
  SourceFile CFile;
  SourceFile VbFile;
  std::string MessageText;
  std::array<Color, 4> GreenPalette{};

  // Screen size in pixels, as LayoutScene read it.
  int ScreenWidthPx = 0;
  int ScreenHeightPx = 0;

  // --- What each timer's tick is handed: the part of the scene its
  // animation owns, put together once, here ---
  NumberBurst Burst;                    // Timer1
  StreamField Streams;                  // Timer2 to Timer5 and Timer7 to Timer10, one RainStream each
  std::array<CodePanel, 3> CodePanels;  // Timer6, Timer11, Timer12: picASM, picC, picVB
  BlockPanel Blocks;                    // Timer14: picWatch
  MessagePanel Message;                 // Timer15: picCommand

  bool LoadScene(std::string* error);
  void LayoutScene();
  // The three code panels' views, each with its own row of parameters.
  std::array<CodePanel, 3> MakeCodePanels(RandomSource& random);
  // Sets every timer's interval and handler and starts them at `now`.
  void SetTimers(std::int64_t now);
  void EndScene();
  void CloseScene();

 private:
  SceneFonts fonts_;
  std::string programDir_;
  bool ended_ = false;
};

}  // namespace coderain
