#include "core/app/input_rules.h"

#include <algorithm>

namespace coderain {

namespace {

bool Holds(const std::vector<int>& keys, int key) { return std::find(keys.begin(), keys.end(), key) != keys.end(); }

void Drop(std::vector<int>& keys, int key) { keys.erase(std::remove(keys.begin(), keys.end(), key), keys.end()); }

}  // namespace

void InputRules::WindowAppeared(std::span<const int> heldKeys) {
  if (appeared_) return;
  appeared_ = true;
  for (int key : heldKeys)
    if (!Holds(held_, key)) held_.push_back(key);
}

bool InputRules::KeyDown(int key) {
  // A press of a key that is already down is a repeat, or the first press
  // the window sees of a key held since before it appeared.
  if (Holds(held_, key)) return false;
  held_.push_back(key);
  return true;
}

void InputRules::KeyUp(int key) { Drop(held_, key); }

void InputRules::ButtonDown(const void* target) {
  buttonDown_ = true;
  target_ = target;
}

bool InputRules::ButtonUp(const void* target) {
  const bool click = buttonDown_ && target == target_;
  buttonDown_ = false;
  return click;
}

}  // namespace coderain
