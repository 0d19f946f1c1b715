// The whole headless scene at 1920 x 1080, every timer running: what a
// second of the display costs, and how fast the scene runs ahead of time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>

#include "support/headless_scene.h"

namespace coderain {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

std::int64_t TicksSoFar(const Form1& f) {
  std::int64_t ticks = 0;
  for (int id = 1; id <= f.Timers.Count(); ++id) ticks += f.Timers.TicksRun(id);
  return ticks;
}

// One second of virtual time after the start-up, every animation running:
// about 620 ticks of fifteen timers, run in 17 ms frames as the program runs
// them, the damage taken after each frame.
void BM_OneSecondOfEveryTimer(benchmark::State& state) {
  test::Scene scene(kWidth, kHeight, std::make_unique<SeededRandom>(1));
  Form1& f = *scene;
  std::int64_t t = 5000;
  f.RunUntil(t);
  const std::int64_t ticksBefore = TicksSoFar(f);
  for (auto _ : state) {
    const std::int64_t end = t + 1000;
    for (; t < end; t = std::min(t + 17, end)) {
      f.RunUntil(t);
      f.Damage().Clear();
    }
    benchmark::DoNotOptimize(f.Framebuffer.Row(0));
  }
  state.counters["ticks_per_second"] =
      static_cast<double>(TicksSoFar(f) - ticksBefore) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_OneSecondOfEveryTimer)->Unit(benchmark::kMicrosecond);

// From a new scene (the start-up burst included) through ten virtual
// minutes, as the renderer runs it. "virtual_s_per_cpu_s" is the
// fast-forward rate.
void BM_FastForwardTenMinutes(benchmark::State& state) {
  constexpr std::int64_t kSpanMs = 10 * 60 * 1000;
  for (auto _ : state) {
    test::Scene scene(kWidth, kHeight, std::make_unique<SeededRandom>(1));
    scene->RunUntil(kSpanMs);
    benchmark::DoNotOptimize(scene->Framebuffer.Row(0));
  }
  state.counters["virtual_s_per_cpu_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kSpanMs / 1000.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FastForwardTenMinutes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace coderain
