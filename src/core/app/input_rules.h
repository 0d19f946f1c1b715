// Which raw input is the user's answer to the display.
//
// Front ends hand in raw events as they come: keys going down and up (a key
// is any number the front end uses to tell keys apart), mouse buttons going
// down and up over a target (anything the caller tells targets apart by: a
// panel, or a scene's bare screen). The
// rules say which of them count: a click is a press and a release on the
// same target; a key press counts unless its key was already held down when
// the window appeared (the Enter that started the program from a terminal
// is often still down then), or it is a repeat of a key held down.
#pragma once

#include <span>
#include <vector>

namespace coderain {

class InputRules {
 public:
  // The keys held down when the window first appeared. Their presses, and
  // their repeats, do not count until each has been released once. Later
  // calls (the window shown again, the focus back) change nothing.
  void WindowAppeared(std::span<const int> heldKeys);

  // A key went down. True when the press counts.
  bool KeyDown(int key);
  void KeyUp(int key);

  // A mouse button went down or up over `target`. ButtonUp is true when the
  // two make a click on that target.
  void ButtonDown(const void* target);
  bool ButtonUp(const void* target);

 private:
  bool appeared_ = false;
  std::vector<int> held_;  // keys down now, as far as the rules know
  bool buttonDown_ = false;
  const void* target_ = nullptr;
};

}  // namespace coderain
