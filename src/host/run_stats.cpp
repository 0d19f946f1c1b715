#include "host/run_stats.h"

#include <algorithm>
#include <chrono>

namespace coderain {

void RunStats::Presented(int screen, const DamageList& damage, bool burstDone, std::int64_t nowMs) {
  ++presents_;
  pixels_ += damage.Pixels();
  if (firstMs_ < 0) firstMs_ = nowMs;
  if (burstDone && std::find(complete_.begin(), complete_.end(), screen) == complete_.end()) {
    complete_.push_back(screen);
    // Wall-clock time, so that a script can compare it with the moment it
    // started the process.
    firstFrameNs_ =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
  }
}

void RunStats::Print(std::FILE* out, const TimerScheduler& timers, std::int64_t endMs) const {
  const double seconds = firstMs_ >= 0 && endMs > firstMs_ ? static_cast<double>(endMs - firstMs_) / 1000.0 : 0;
  if (firstFrameNs_ >= 0) std::fprintf(out, "first frame at %lld\n", firstFrameNs_);
  if (seconds > 0) {
    std::fprintf(out, "presents per second %.1f\n", static_cast<double>(presents_) / seconds);
    std::fprintf(out, "damaged pixels per second %.0f\n", static_cast<double>(pixels_) / seconds);
  }
  std::fprintf(out, "%-8s %12s %12s %8s %16s\n", "timer", "ticks/s", "asked/s", "kept", "longest delay");
  for (int id = 1; id <= timers.Count(); ++id) {
    const TimerScheduler::Stats& s = timers.StatsOf(id);
    if (s.ticks < 2 || s.lastStart <= s.firstStart || s.askedSpan <= 0) continue;
    const double ran = static_cast<double>(s.ticks - 1) * 1000.0 / static_cast<double>(s.lastStart - s.firstStart);
    const double asked = static_cast<double>(s.ticks - 1) * 1000.0 / static_cast<double>(s.askedSpan);
    std::fprintf(out, "Timer%-3d %12.2f %12.2f %7.2f%% %13lld ms\n", id, ran, asked, 100.0 * ran / asked,
                 static_cast<long long>(s.maxDelay));
  }
}

}  // namespace coderain
