// Statistics of a real run, printed at exit by the statistics build
// (CODERAIN_STATS): how each timer kept its rhythm and what was presented.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/base/timer_scheduler.h"
#include "core/gfx/damage.h"
#include "core/run/scene_loop.h"

namespace coderain {

class RunStats : public PresentObserver {
 public:
  void Presented(int screen, const DamageList& damage, bool burstDone, std::int64_t nowMs) override;
  // Prints the figures to `out`; `endMs` is the run's length on the steady
  // clock.
  void Print(std::FILE* out, const TimerScheduler& timers, std::int64_t endMs) const;

 private:
  std::int64_t presents_ = 0;
  long long pixels_ = 0;
  std::int64_t firstMs_ = -1;  // the first present, on the steady clock
  // When every screen that showed a complete frame first did, wall clock.
  long long firstFrameNs_ = -1;
  std::vector<int> complete_;  // the screens that have
};

}  // namespace coderain
