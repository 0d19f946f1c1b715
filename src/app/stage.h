// The scene as a front end runs it: a Form1 over a framebuffer of the
// scene's size, the input rules between raw events and the form, and a
// fresh start whenever that size changes.
//
// The layout is computed once per scene, from the size it starts with, so
// a new size is a new scene: a new framebuffer, a new Form1 started at the
// time of the change, nothing carried over but the random source and which
// keys are held. A size change to the same size changes nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "app/form1.h"
#include "app/input_rules.h"
#include "platform/bitmap.h"
#include "platform/font.h"
#include "platform/random_source.h"

namespace coderain {

class Stage {
 public:
  // The fonts are opened afresh from `fontFiles` for every scene; `random`
  // must outlive the stage.
  Stage(FontFiles fontFiles, RandomSource* random, std::string programDir);

  // Starts a scene of width x height pixels at `now` (a restart when one
  // runs), drawing straight into `frame` where one of that size is given
  // (a window's image), else into a framebuffer of its own. Returns false
  // and sets *error when start-up fails; the scene then counts as ended.
  bool Start(int width, int height, std::int64_t now, std::string* error, Bitmap* frame = nullptr);
  // Whether a scene of this size, drawing into `frame` (null: into its
  // own framebuffer), is what runs now.
  bool Runs(int width, int height, const Bitmap* frame = nullptr) const;

  void RunUntil(std::int64_t now, const TimerScheduler::Clock& clock = nullptr);
  bool Ended() const { return !form_ || form_->Ended(); }
  std::int64_t NextDue() const;
  // How late a tick may run and still keep its turn; kept across restarts.
  void SetLatenessAllowed(std::int64_t ms);

  const Bitmap& Frame() const { return framebuffer_; }
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
  FontFiles fontFiles_;
  RandomSource* random_;
  std::string programDir_;
  std::int64_t latenessAllowed_ = 0;
  InputRules rules_;
  Bitmap framebuffer_;
  bool direct_ = false;  // the framebuffer is a window's image
  // Declared after the framebuffer it draws on, so that it goes first.
  std::unique_ptr<Form1> form_;
};

}  // namespace coderain
