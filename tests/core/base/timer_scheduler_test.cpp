#include "core/base/timer_scheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace coderain {
namespace {

TEST(TimerScheduler, TicksInDueOrderWithTiesByNumber) {
  TimerScheduler s(3);
  std::vector<std::string> log;
  s.Set(1, 10, [&] { log.push_back("1@" + std::to_string(s.Now())); });
  s.Set(2, 5, [&] { log.push_back("2@" + std::to_string(s.Now())); });
  s.Set(3, 10, [&] { log.push_back("3@" + std::to_string(s.Now())); });
  s.Start(0);
  s.RunUntil(20);
  EXPECT_EQ(log, (std::vector<std::string>{"2@5", "1@10", "2@10", "3@10", "2@15", "1@20", "2@20", "3@20"}));
  EXPECT_EQ(s.NextDue(), 25);
}

TEST(TimerScheduler, ChangedIntervalCountsFromTheChange) {
  TimerScheduler s(2);
  std::vector<std::int64_t> ticks;
  s.Set(1, 100, [&] {
    ticks.push_back(s.Now());
    if (ticks.size() == 1) s.SetInterval(1, 30);
  });
  s.Set(2, 1000, [] {});
  s.Start(0);
  s.RunUntil(200);
  EXPECT_EQ(ticks, (std::vector<std::int64_t>{100, 130, 160, 190}));
  EXPECT_EQ(s.Interval(1), 30);
  // Another timer changing this one's interval also counts from its tick.
  s.Set(2, 5, [&] { s.SetInterval(1, 50); });
  s.SetInterval(2, 5);  // now = 200: due at 205
  ticks.clear();
  s.RunUntil(206);
  EXPECT_EQ(s.DueTime(1), 255);
}

TEST(TimerScheduler, MissedTicksAreNotMadeUp) {
  TimerScheduler s(2);
  std::int64_t clock = 0;
  int fast = 0;
  s.Set(1, 10, [&] {
    if (s.TicksRun(1) == 1) clock += 95;  // the first tick takes 95 ms
  });
  s.Set(2, 10, [&] { ++fast; });
  s.Start(0);
  clock = 10;
  s.RunUntil(10, [&] { return clock; });
  // Timer 2 was due at 10 too: it runs once, late, and its next tick is
  // one interval from now rather than nine ticks to catch up.
  EXPECT_EQ(fast, 1);
  EXPECT_EQ(s.DueTime(1), 115);
  EXPECT_EQ(s.DueTime(2), 115);
  s.RunUntil(114, [&] { return clock; });
  EXPECT_EQ(fast, 1);
  s.RunUntil(115, [&] { return clock; });
  EXPECT_EQ(fast, 2);
}

TEST(TimerScheduler, ABatchRunsEveryTickWithinTheAllowedLateness) {
  // A front end that wakes once a 17 ms frame runs the ticks that fell due
  // in it, each at its own time; a handler that overruns still drops ticks.
  TimerScheduler s(1);
  s.SetLatenessAllowed(17);
  std::int64_t clock = 0;
  std::vector<std::int64_t> seen;
  s.Set(1, 5, [&] {
    seen.push_back(s.Now());
    if (s.Now() == 20) clock += 40;  // this tick takes 40 ms
  });
  s.Start(0);
  clock = 17;
  s.RunUntil(17, [&] { return clock; });
  EXPECT_EQ(seen, (std::vector<std::int64_t>{5, 10, 15}));
  clock = 20;
  s.RunUntil(20, [&] { return clock; });
  // The long tick ends at 60: 25 is more than 17 ms past, so the next tick
  // comes one interval later.
  EXPECT_EQ(s.DueTime(1), 65);
}

}  // namespace
}  // namespace coderain
