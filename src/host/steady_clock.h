// The real clock of a run: the system's steady clock, in whole ms from
// when it was made.
#pragma once

#include <chrono>

#include "core/base/clock.h"

namespace coderain {

class SteadyClock : public Clock {
 public:
  std::int64_t Now() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace coderain
