// Whole numbers on a command line, by one rule for every option that takes
// one: plain ASCII digits (at least one, leading zeros allowed) and nothing
// else (no sign, blank, base prefix or point), with a value from `min` to
// `max`. Window ids keep the form X writes them in (ParseWindowId).
#pragma once

#include <algorithm>
#include <charconv>
#include <string_view>
#include <system_error>

namespace coderain {

// Reads `text` as above into *value. Returns false, leaving *value alone,
// for anything else, a number out of range included, however many digits
// it has.
template <typename T>
bool ParseWholeNumber(std::string_view text, T min, T max, T* value) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
  T v{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < min || v > max) return false;
  *value = v;
  return true;
}

}  // namespace coderain
