// The one source of random numbers of the scene: uniform values in [0, 1).
#pragma once

#include <cstdint>
#include <deque>
#include <random>

namespace coderain {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // The next value r, 0 <= r < 1.
  virtual double Next() = 0;
};

// A seeded generator: the same seed gives the same sequence on every run.
class SeededRandom : public RandomSource {
 public:
  explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}
  double Next() override;

 private:
  std::mt19937_64 engine_;
};

// Hands out given values in order, then falls back to a seeded sequence.
// For tests that follow worked examples number by number.
class ScriptedRandom : public RandomSource {
 public:
  explicit ScriptedRandom(std::deque<double> values, std::uint64_t fallbackSeed = 1)
      : values_(std::move(values)), fallback_(fallbackSeed) {}
  void Push(double v) { values_.push_back(v); }
  std::size_t Left() const { return values_.size(); }
  double Next() override;

 private:
  std::deque<double> values_;
  SeededRandom fallback_;
};

// Rounds to the nearest integer, halves to even (562.5 gives 562). It
// rounds in the thread's floating-point rounding mode and so needs the
// default mode, to nearest: should anything have changed the mode, the call
// sets it back to the default for the whole thread before it rounds.
double RoundHalfEven(double v);

}  // namespace coderain
