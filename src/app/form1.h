// Form1: the scene window and the owner of everything the display holds.
//
// The core knows no real clock, no operating system window and no input
// device: the front ends create a Form1 over a framebuffer, hand it the time
// and pass on clicks and key presses.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/scene_state.h"
#include "platform/bitmap.h"
#include "platform/font.h"
#include "platform/random_source.h"
#include "platform/source_file.h"
#include "platform/surface.h"
#include "platform/timer_scheduler.h"

namespace coderain {

// Why start-up stopped: one line for the user, naming what failed and where.
struct StartupError {
  std::string message;
};

class Form1 {
 public:
  static constexpr int kTimerCount = 15;

  // Creates the window over `framebuffer` (whose size is the screen's) with
  // SceneState zero-filled, the controls in their initial state and every
  // timer enabled at `now`. The fonts must be loaded; `random` and the
  // framebuffer must outlive the form.
  Form1(Bitmap* framebuffer, SceneFonts fonts, RandomSource* random, std::string programDir, std::int64_t now = 0);

  // Start-up: CreateScene, then LoadScene (layout, the three source files,
  // the message, the palette). Returns false and sets *error when a step
  // fails; nothing after the failing step has run.
  bool Start(StartupError* error);

  // Runs every timer tick due at or before `now` (see TimerScheduler).
  void RunUntil(std::int64_t now, const TimerScheduler::Clock& clock = nullptr) {
    if (!ended_) timers.RunUntil(now, clock);
  }

  // Input. A click is a button pressed and released: the program ends on a
  // click on the window's own surface or on picASM; on the other panels it
  // does nothing. Any key press ends it.
  void OnClick(Point screenPos);
  void OnKeyDown();
  // A close request by any other route (the system, a signal).
  void OnCloseRequest() { CloseScene(); }

  // True once EndScene or CloseScene has run: the front end then stops.
  bool Ended() const { return ended_; }

  // --- The scene's controls and data, for the tick handlers ---
  Bitmap& framebuffer;
  Window form;  // Form1's own drawing surface
  Panel& picASM;
  Panel& picC;
  Panel& picVB;
  Panel& picGame;
  Panel& picWatch;
  Panel& picCommand;
  Bitmap digits;  // the glyph strip, never shown
  TimerScheduler timers;
  SceneState state;

  SourceFile AsmFile;
  SourceFile CFile;
  SourceFile VbFile;
  std::string MessageText;
  std::array<Color, 4> GreenPalette{};

  RandomSource& random;
  SceneFonts fonts;
  std::string programDir;

  // Screen size in pixels, as LayoutScene read it.
  int ScreenWidthPx = 0;
  int ScreenHeightPx = 0;

  void CreateScene();
  bool LoadScene(StartupError* error);
  void LayoutScene();
  void EndScene();
  void CloseScene();

 private:
  bool ended_ = false;
  bool maximised_ = false;
};

}  // namespace coderain
