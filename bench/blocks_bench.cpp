// The cost of the block panel's Timer14 tick: a game step, and a whole
// build-up of the panel.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/app/form1.h"
#include "core/panels/blocks/block_game.h"
#include "core/panels/blocks/build_up.h"
#include "support/headless_scene.h"

namespace coderain {
namespace {

struct BlockBenchScene {
  BlockBenchScene() {
    scene = std::make_unique<test::Scene>(1920, 1080, std::make_unique<SeededRandom>(3), test::Texts("line\n"));
  }
  Form1& f() { return **scene; }
  std::unique_ptr<test::Scene> scene;
};

// Game ticks, with the build-up after each game over mixed in as it comes.
void BM_Timer14TickDuringPlay(benchmark::State& state) {
  BlockBenchScene b;
  Form1& f = b.f();
  while (f.State.WatchPhase < kFirstGamePhase) BlockPanelTick(f.Blocks);
  for (auto _ : state) {
    BlockPanelTick(f.Blocks);
    f.Damage().Clear();
  }
}
BENCHMARK(BM_Timer14TickDuringPlay);

// One game step alone.
void BM_GameStep(benchmark::State& state) {
  BlockBenchScene b;
  Form1& f = b.f();
  ResetGame(f.Blocks.game);
  for (auto _ : state) {
    GameStep(f.Blocks.game);
    if (f.State.GameOver != 0) ResetGame(f.Blocks.game);
    f.Damage().Clear();
  }
}
BENCHMARK(BM_GameStep);

// Phases 1 to 217: edges, blinks, the sweep and the grid.
void BM_WholeBuildUp(benchmark::State& state) {
  BlockBenchScene b;
  Form1& f = b.f();
  for (auto _ : state) {
    f.State.WatchPhase = 1;
    while (f.State.WatchPhase < kFirstGamePhase) BlockPanelTick(f.Blocks);
    f.Damage().Clear();
  }
}
BENCHMARK(BM_WholeBuildUp);

}  // namespace
}  // namespace coderain
