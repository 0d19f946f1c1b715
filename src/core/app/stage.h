// The scene as the loop runs it: a Form1 over a display's frame, the input
// rules between raw events and the form, and a fresh start whenever the
// frame changes size.
//
// The layout is computed once per scene, from the size it starts with, so
// a new size is a new scene: a new Form1 started at the time of the
// change, nothing carried over but the random source and which keys are
// held.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/app/form1.h"
#include "core/app/input_rules.h"
#include "core/base/random_source.h"
#include "core/gfx/bitmap.h"
#include "core/gfx/font.h"

namespace coderain {

class Stage {
 public:
  // The fonts are opened afresh from `fontFaces` for every scene; `random`
  // must outlive the stage.
  Stage(FontFaces fontFaces, RandomSource* random, std::string programDir);

  // Starts a scene at `now` (a restart when one runs) drawing into `frame`,
  // which it clears to black; the frame's size is the scene's, and it must
  // outlive the scene. Returns false and sets *error when start-up fails;
  // the scene then counts as ended.
  bool Start(Bitmap* frame, std::int64_t now, std::string* error);

  void RunUntil(std::int64_t now, const TimerScheduler::Clock& clock = nullptr);
  bool Ended() const { return !form_ || form_->Ended(); }
  // Whether a scene has started (and Form() may be asked for).
  bool HasScene() const { return form_ != nullptr; }
  std::int64_t NextDue() const;
  // How late a tick may run and still keep its turn; kept across restarts.
  void SetLatenessAllowed(std::int64_t ms);

  const Bitmap& Frame() const { return *frame_; }
  DamageList& Damage() { return form_->Damage(); }
  Form1& Form() { return *form_; }

  // Raw input, in the scene's pixels. Only what the input rules count
  // reaches the form.
  void WindowAppeared(std::span<const int> heldKeys) { rules_.WindowAppeared(heldKeys); }
  void KeyDown(int key);
  void KeyUp(int key) { rules_.KeyUp(key); }
  void ButtonDown(Point p);
  void ButtonUp(Point p);
  // A close request by any other route (the system, a signal).
  void CloseRequest();

 private:
  FontFaces fontFaces_;
  RandomSource* random_;
  std::string programDir_;
  std::int64_t latenessAllowed_ = 0;
  InputRules rules_;
  Bitmap* frame_ = nullptr;
  std::unique_ptr<Form1> form_;
};

}  // namespace coderain
