#include "core/rain/number_burst.h"

#include <cmath>

#include "core/base/flags.h"

namespace coderain {

namespace {

constexpr int kNumberDigits = 9;
constexpr double kNumberRange = 999999999.0;

// A random number from 0 to 999,999,998 for one draw.
std::int32_t RandomNumber(RandomSource& random) {
  return static_cast<std::int32_t>(std::floor(random.Next() * kNumberRange));
}

}  // namespace

void DrawNumber(const RainCanvas& rain, std::int32_t n) {
  // The nine digits of n with leading zeros, leftmost first. A longer n
  // keeps its last nine digits and a negative one loses its sign.
  std::uint32_t rest = static_cast<std::uint32_t>(n < 0 ? -static_cast<std::int64_t>(n) : n);
  int digits[kNumberDigits];
  for (int i = kNumberDigits - 1; i >= 0; --i) {
    digits[i] = static_cast<int>(rest % 10);
    rest /= 10;
  }
  const double h = rain.window.Height();
  for (int i = 1; i <= kNumberDigits; ++i) {
    // The column is drawn before the row.
    const auto x0 = static_cast<std::int32_t>(RandomColumn(rain));
    const auto y = static_cast<std::int32_t>(kCellHeight * std::floor(rain.random.Next() * (h / kCellHeight)));
    BlitGlyph(rain, digits[i - 1], 0, x0 + kCellWidth * i, y);
  }
}

void NumberBurstTick(const NumberBurst& b) {
  if (b.BurstDone == kFalse) {
    // The burst covers the areas under the panels too; they come back black
    // and hide what it drew there.
    for (Panel* p : b.panels) p->SetVisible(false);
    for (int k = 0; k < kBurstNumbers; ++k) DrawNumber(b.rain, RandomNumber(b.rain.random));
    b.BurstDone = kTrue;
    for (Panel* p : b.panels) p->SetVisible(true);
  }
  DrawNumber(b.rain, RandomNumber(b.rain.random));
}

}  // namespace coderain
