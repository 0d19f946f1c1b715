// The scene's periodic timers, on one thread, in milliseconds.
//
// Every timer ticks every `interval` ms from the moment the scheduler
// starts. RunUntil(now) runs each tick due at or before `now`, earliest
// first; ticks due at the same time run in the order of their numbers.
// During a tick the scheduler's time is the tick's due time: the core never
// reads a clock of its own.
//
// A tick that changes its timer's interval makes the next tick come one new
// interval after the change. A tick that falls due while another handler
// runs is run once, late; missed ticks are not made up: the next one is due
// one interval after the last due time, or one interval from now if that is
// already past.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace coderain {

class TimerScheduler {
 public:
  using Handler = std::function<void()>;
  // Reads the time after a handler returns; in a virtual run it is the
  // tick's own time.
  using Clock = std::function<std::int64_t()>;

  // Timers are numbered from 1, like the form's Timer1 ... TimerN.
  explicit TimerScheduler(int count);

  // Sets timer `id`'s starting interval (ms, at least 1) and its tick handler.
  void Set(int id, int intervalMs, Handler handler);
  // Enables every timer at time `now`: each first ticks one interval later.
  void Start(std::int64_t now);

  int Interval(int id) const;
  // Changes timer `id`'s interval. The next tick comes `ms` after now (the
  // running tick's time, or the time of the last RunUntil outside a tick).
  void SetInterval(int id, int ms);

  // The earliest due time of any timer.
  std::int64_t NextDue() const;
  std::int64_t DueTime(int id) const;
  // The time of the tick running now, or of the last RunUntil.
  std::int64_t Now() const { return now_; }
  std::int64_t TicksRun(int id) const;

  // Runs every tick due at or before `now`. With a clock, the time after
  // each handler is read from it (a real run, where handlers take time);
  // without, time only moves from due time to due time.
  void RunUntil(std::int64_t now, const Clock& clock = nullptr);

  int Count() const { return static_cast<int>(timers_.size()); }

  // How late a next tick may be and still run in its turn (0 by default).
  // A front end that runs ticks in batches, once a frame, sets this to the
  // frame's length, so that a batch runs every tick that fell due in it;
  // only ticks missed while a handler ran longer than that are dropped.
  void SetLatenessAllowed(std::int64_t ms) { latenessAllowed_ = ms; }

  // What a timer has done so far, for the statistics build.
  struct Stats {
    std::int64_t ticks = 0;
    std::int64_t firstStart = -1;  // when its first tick began
    std::int64_t lastStart = -1;   // when its last tick began
    std::int64_t askedSpan = 0;    // the intervals asked for between them
    std::int64_t maxDelay = 0;     // the longest a tick began after it was due
  };
  const Stats& StatsOf(int id) const { return At(id).stats; }

 private:
  struct Timer {
    int interval = 1;
    std::int64_t due = 0;
    bool changed = false;
    Handler handler;
    Stats stats;
    std::int64_t asked = 0;
  };
  Timer& At(int id);
  const Timer& At(int id) const;

  std::vector<Timer> timers_;
  std::int64_t now_ = 0;
  std::int64_t latenessAllowed_ = 0;
};

// One timer of a scheduler as the animation it drives sees it: the tick
// handler reads and changes its own timer's interval through it without
// knowing the timer's number.
class TimerHandle {
 public:
  TimerHandle(TimerScheduler* scheduler, int id) : scheduler_(scheduler), id_(id) {}
  int Id() const { return id_; }
  int Interval() const { return scheduler_->Interval(id_); }
  // See TimerScheduler::SetInterval.
  void SetInterval(int ms) const { scheduler_->SetInterval(id_, ms); }

 private:
  TimerScheduler* scheduler_;
  int id_;
};

}  // namespace coderain
