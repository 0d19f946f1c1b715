#include "core/base/timer_scheduler.h"

#include <algorithm>
#include <cassert>
#include <limits>

namespace coderain {

TimerScheduler::TimerScheduler(int count) : timers_(static_cast<std::size_t>(count)) {}

TimerScheduler::Timer& TimerScheduler::At(int id) {
  assert(id >= 1 && id <= Count());
  return timers_[static_cast<std::size_t>(id - 1)];
}

const TimerScheduler::Timer& TimerScheduler::At(int id) const {
  assert(id >= 1 && id <= Count());
  return timers_[static_cast<std::size_t>(id - 1)];
}

void TimerScheduler::Set(int id, int intervalMs, Handler handler) {
  Timer& t = At(id);
  t.interval = std::max(intervalMs, 1);
  t.handler = std::move(handler);
}

void TimerScheduler::Start(std::int64_t now) {
  now_ = now;
  for (Timer& t : timers_) t.due = now + t.interval;
}

int TimerScheduler::Interval(int id) const { return At(id).interval; }

void TimerScheduler::SetInterval(int id, int ms) {
  Timer& t = At(id);
  t.interval = std::max(ms, 1);
  t.due = now_ + t.interval;
  t.changed = true;
}

std::int64_t TimerScheduler::NextDue() const {
  std::int64_t next = std::numeric_limits<std::int64_t>::max();
  for (const Timer& t : timers_) next = std::min(next, t.due);
  return next;
}

std::int64_t TimerScheduler::DueTime(int id) const { return At(id).due; }

std::int64_t TimerScheduler::TicksRun(int id) const { return At(id).stats.ticks; }

void TimerScheduler::RunUntil(std::int64_t now, const Clock& clock) {
  // When the next handler begins: the time of the call, then the time the
  // previous handler ended.
  std::int64_t free = now;
  for (;;) {
    // The earliest due timer; on equal times the lower number goes first.
    std::size_t pick = timers_.size();
    for (std::size_t i = 0; i < timers_.size(); ++i) {
      if (timers_[i].due <= now && (pick == timers_.size() || timers_[i].due < timers_[pick].due)) pick = i;
    }
    if (pick == timers_.size()) break;
    Timer& t = timers_[pick];
    const std::int64_t due = t.due;
    now_ = due;
    t.changed = false;
    Stats& st = t.stats;
    const std::int64_t start = clock ? std::max(free, due) : due;
    st.askedSpan += t.asked;
    if (st.firstStart < 0) st.firstStart = start;
    st.lastStart = start;
    st.maxDelay = std::max(st.maxDelay, start - due);
    ++st.ticks;
    if (t.handler) t.handler();
    if (!t.changed) t.due = due + t.interval;
    t.asked = t.interval;  // the wait this tick asks for before the next
    // A handler that ran long delays every timer. Ticks that fell due
    // meanwhile run once each when it returns; the ones they missed are not
    // made up, and a next tick that would already be past comes one
    // interval from now instead.
    const std::int64_t after = clock ? std::max(clock(), due) : due;
    if (t.due + latenessAllowed_ < after) t.due = after + t.interval;
    now_ = after;
    free = after;
  }
  now_ = std::max(now_, now);
}

}  // namespace coderain
