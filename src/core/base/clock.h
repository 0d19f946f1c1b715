// The time as the loop is told it: whole milliseconds on a clock of the
// host's choosing (the steady clock of a real run, a virtual one in tests
// and pictures). The core never reads a clock of its own.
#pragma once

#include <cstdint>

namespace coderain {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t Now() const = 0;
};

// A clock that stands where it is set: tests, pictures and the page's
// frozen frame move it themselves.
class VirtualClock : public Clock {
 public:
  std::int64_t Now() const override { return now; }
  std::int64_t now = 0;
};

}  // namespace coderain
