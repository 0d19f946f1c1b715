#include "rain/number_burst.h"

#include <cmath>

#include "app/form1.h"
#include "rain/glyph_strip.h"

namespace coderain {

namespace {

constexpr int kNumberDigits = 9;
constexpr double kNumberRange = 999999999.0;

// A random number from 0 to 999,999,998 for one draw.
std::int32_t RandomNumber(Form1& f) { return static_cast<std::int32_t>(std::floor(f.random.Next() * kNumberRange)); }

}  // namespace

// The random source is seeded once when the scene starts; there is no
// reseed from the clock here, so one seed always gives the same picture.
double RandomColumn(Form1& f) {
  const double w = f.form.Width();
  return kCellWidth * std::floor(f.random.Next() * (w / kCellWidth));
}

void DrawNumber(Form1& f, std::int32_t n) {
  // The nine digits of n with leading zeros, leftmost first. A longer n
  // keeps its last nine digits and a negative one loses its sign.
  std::uint32_t rest = static_cast<std::uint32_t>(n < 0 ? -static_cast<std::int64_t>(n) : n);
  int digits[kNumberDigits];
  for (int i = kNumberDigits - 1; i >= 0; --i) {
    digits[i] = static_cast<int>(rest % 10);
    rest /= 10;
  }
  const double h = f.form.Height();
  for (int i = 1; i <= kNumberDigits; ++i) {
    // The column is drawn before the row.
    const auto x0 = static_cast<std::int32_t>(RandomColumn(f));
    const auto y = static_cast<std::int32_t>(kCellHeight * std::floor(f.random.Next() * (h / kCellHeight)));
    BlitGlyph(f, digits[i - 1], 0, x0 + kCellWidth * i, y);
  }
}

void Timer1Tick(Form1& f) {
  if (f.state.BurstDone == kFalse) {
    // The burst covers the areas under the panels too; they come back black
    // and hide what it drew there.
    Panel* const order[] = {&f.picVB, &f.picC, &f.picASM, &f.picWatch, &f.picGame, &f.picCommand};
    for (Panel* p : order) p->SetVisible(false);
    for (int k = 0; k < kBurstNumbers; ++k) DrawNumber(f, RandomNumber(f));
    f.state.BurstDone = kTrue;
    for (Panel* p : order) p->SetVisible(true);
  }
  DrawNumber(f, RandomNumber(f));
}

}  // namespace coderain
