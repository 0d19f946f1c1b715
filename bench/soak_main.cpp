// coderain_soak: runs the headless scene for hours of virtual time, tick by
// tick, and checks after every tick that the scene keeps its rules (see
// tools/support/scene_rules.h). Reports how long the run took and how
// much memory the process held after the first virtual minute and at the
// end; bench/soak.sh runs it.
//
//   coderain_soak [--size WxH] [--hours H] [--seed N]
//
// Exit status: 0 when every check held and memory did not grow after the
// first minute, 1 when a check broke or memory grew, 2 for bad options.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "core/base/random_source.h"
#include "support/headless_scene.h"
#include "support/scene_rules.h"

namespace {

// A field of /proc/self/status in KiB (VmRSS, VmHWM).
long StatusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  return -1;
}

// What the run went through, counted from the state after each tick.
struct Counts {
  std::int64_t gameOvers = 0, pauses = 0, messageCycles = 0;
  bool over = false, asmPaused = false, cPaused = false, vbPaused = false;
  std::int32_t messagePos = 0;

  void Update(const coderain::SceneState& s) {
    gameOvers += s.GameOver == -1 && !over;
    pauses += (s.AsmPanelPaused && !asmPaused) + (s.CPanelPaused && !cPaused) + (s.VbPanelPaused && !vbPaused);
    messageCycles += s.MessagePos == 0 && messagePos != 0;
    over = s.GameOver == -1;
    asmPaused = s.AsmPanelPaused, cPaused = s.CPanelPaused, vbPaused = s.VbPanelPaused;
    messagePos = s.MessagePos;
  }
};

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  int width = 1920, height = 1080;
  double hours = 24;
  unsigned long long seed = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string opt = argv[i];
    if (opt == "--size" && std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2 && width > 0 && height > 0) continue;
    if (opt == "--hours" && std::sscanf(argv[i + 1], "%lf", &hours) == 1 && hours > 0) continue;
    if (opt == "--seed" && std::sscanf(argv[i + 1], "%llu", &seed) == 1) continue;
    std::fprintf(stderr, "usage: coderain_soak [--size WxH] [--hours H] [--seed N]\n");
    return 2;
  }
  if (argc % 2 == 0) {
    std::fprintf(stderr, "usage: coderain_soak [--size WxH] [--hours H] [--seed N]\n");
    return 2;
  }

  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  coderain::test::Scene scene(width, height, std::make_unique<coderain::SeededRandom>(seed));
  if (!scene.started) {
    std::fprintf(stderr, "coderain_soak: %s\n", scene.error.c_str());
    return 1;
  }
  coderain::Form1& f = *scene;
  const std::int64_t minute = 60'000;
  const auto end = static_cast<std::int64_t>(hours * 3'600'000);
  std::printf("soak at %dx%d, seed %llu, %.2f virtual hours, every rule checked after every tick\n", width, height,
              seed, hours);
  std::fflush(stdout);

  long rssAfterMinute = -1;
  std::int64_t checks = 0;
  Counts counts;
  std::int64_t nextReport = minute;
  for (std::int64_t t = f.Timers.NextDue(); t <= end; t = f.Timers.NextDue()) {
    f.RunUntil(t);
    ++checks;
    counts.Update(f.State);
    const std::string broken = coderain::test::SceneInvariantBroken(f);
    if (!broken.empty()) {
      std::printf("BROKEN at %lld ms: %s\n", static_cast<long long>(t), broken.c_str());
      return 1;
    }
    if (t >= nextReport) {
      const long rss = StatusKb("VmRSS");
      if (rssAfterMinute < 0) rssAfterMinute = rss;
      if (nextReport % 3'600'000 == 0 || nextReport == minute) {
        std::printf("%8.2f virtual h  %10.1f s wall  RSS %ld KiB\n", static_cast<double>(t) / 3'600'000,
                    Seconds(Clock::now() - start), rss);
        std::fflush(stdout);
      }
      nextReport += minute;
    }
  }
  const long rssEnd = StatusKb("VmRSS");
  const long hwm = StatusKb("VmHWM");
  const double wall = Seconds(Clock::now() - start);
  std::printf("done: %.2f virtual hours in %.1f s wall (%.0fx real time), %lld checks\n", hours, wall,
              static_cast<double>(end) / 1000 / wall, static_cast<long long>(checks));
  std::printf("%lld games played to their end, %lld code panel pauses, %lld message cycles\n",
              static_cast<long long>(counts.gameOvers), static_cast<long long>(counts.pauses),
              static_cast<long long>(counts.messageCycles));
  std::printf("RSS after the first virtual minute %ld KiB, at the end %ld KiB, peak %ld KiB\n", rssAfterMinute, rssEnd,
              hwm);
  // A few pages of slack for the allocator's own bookkeeping.
  if (rssAfterMinute >= 0 && rssEnd > rssAfterMinute + 256) {
    std::printf("memory grew after the first minute\n");
    return 1;
  }
  return 0;
}
