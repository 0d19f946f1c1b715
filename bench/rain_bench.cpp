// The digit rain's hot paths on the headless scene at 1920 x 1080.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "core/rain/falling_streams.h"
#include "core/rain/glyph_strip.h"
#include "core/rain/number_burst.h"
#include "support/headless_scene.h"

// Counts heap allocations so the burst can report how many it makes. This
// is an instrument of the benchmark binary only, never of the program.
namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// The replaced operator new takes its memory from malloc, so free is the
// matching release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace coderain {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kBurstCopies = (kBurstNumbers + 1) * 9;

// The first Timer1 tick: panels hidden, 3,001 numbers, panels shown, one
// more number.
void BM_StartupBurst(benchmark::State& state) {
  test::Scene scene(kWidth, kHeight, std::make_unique<SeededRandom>(1));
  Form1& f = *scene;
  long allocs = 0;
  for (auto _ : state) {
    f.State.BurstDone = kFalse;
    f.Damage().Clear();
    const long before = allocations.load(std::memory_order_relaxed);
    NumberBurstTick(f.Burst);
    allocs += allocations.load(std::memory_order_relaxed) - before;
    benchmark::DoNotOptimize(f.Framebuffer.Row(0));
  }
  state.SetItemsProcessed(state.iterations() * kBurstCopies);
  state.SetBytesProcessed(state.iterations() * kBurstCopies * kCellWidth * kCellHeight * 4);
  state.counters["allocs_per_burst"] = static_cast<double>(allocs) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StartupBurst)->Unit(benchmark::kMillisecond);

// The floor for the burst: the same 27,018 cells of 18 rows of 60 bytes
// written with memset at the same kind of scattered grid positions.
void BM_StartupBurstMemsetFloor(benchmark::State& state) {
  Bitmap screen(kWidth, kHeight);
  SeededRandom random(1);
  std::vector<Point> at(kBurstCopies);
  for (Point& p : at) {
    p.x = kCellWidth * static_cast<int>(random.Next() * (kWidth / kCellWidth));
    p.y = kCellHeight * static_cast<int>(random.Next() * (kHeight / kCellHeight));
  }
  int value = 0;
  for (auto _ : state) {
    ++value;
    for (const Point& p : at)
      for (int y = p.y; y < p.y + kCellHeight; ++y)
        std::memset(screen.Row(y) + p.x, value, kCellWidth * sizeof(std::uint32_t));
    benchmark::DoNotOptimize(screen.Row(0));
  }
  state.SetItemsProcessed(state.iterations() * kBurstCopies);
  state.SetBytesProcessed(state.iterations() * kBurstCopies * kCellWidth * kCellHeight * 4);
}
BENCHMARK(BM_StartupBurstMemsetFloor)->Unit(benchmark::kMillisecond);

// The same bytes as one memset of 29 MB.
void BM_StartupBurstMemsetContiguous(benchmark::State& state) {
  std::vector<std::uint32_t> bytes(static_cast<std::size_t>(kBurstCopies) * kCellWidth * kCellHeight);
  int value = 0;
  for (auto _ : state) {
    std::memset(bytes.data(), ++value, bytes.size() * sizeof(std::uint32_t));
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long>(bytes.size() * sizeof(std::uint32_t)));
}
BENCHMARK(BM_StartupBurstMemsetContiguous)->Unit(benchmark::kMillisecond);

// A later Timer1 tick: one number, nine copies.
void BM_Timer1Tick(benchmark::State& state) {
  test::Scene scene(kWidth, kHeight, std::make_unique<SeededRandom>(1));
  Form1& f = *scene;
  NumberBurstTick(f.Burst);
  for (auto _ : state) {
    f.Damage().Clear();
    NumberBurstTick(f.Burst);
  }
}
BENCHMARK(BM_Timer1Tick);

// One step of one stream, restarts included as they come.
void BM_StepStream(benchmark::State& state) {
  test::Scene scene(kWidth, kHeight, std::make_unique<SeededRandom>(1));
  Form1& f = *scene;
  NumberBurstTick(f.Burst);
  RainStream s;
  for (auto _ : state) {
    f.Damage().Clear();
    StepStream(f.Streams, s);
  }
}
BENCHMARK(BM_StepStream);

}  // namespace
}  // namespace coderain
