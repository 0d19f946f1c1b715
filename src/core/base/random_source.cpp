#include "core/base/random_source.h"

#include <cfenv>
#include <cmath>

namespace coderain {

double SeededRandom::Next() {
  // 53 random bits scaled into [0, 1): never 1.
  return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

double ScriptedRandom::Next() {
  if (values_.empty()) return fallback_.Next();
  double v = values_.front();
  values_.pop_front();
  return v;
}

double RoundHalfEven(double v) {
  // nearbyint rounds in the current mode; only round-to-nearest gives
  // halves to even. Nothing in the program changes the mode, so this
  // restores it only after someone else has.
  if (std::fegetround() != FE_TONEAREST) std::fesetround(FE_TONEAREST);
  return std::nearbyint(v);
}

}  // namespace coderain
