#include <benchmark/benchmark.h>

#include "core/panels/message/typewriter.h"
#include "support/headless_scene.h"

namespace coderain {
namespace {

// One whole cycle of the message panel at 196 x 300: 344 characters typed,
// 24 still ticks, 59 wipe rectangles and the empty tick that ends it.
void BM_TypewriterCycle(benchmark::State& st) {
  test::Scene scene(1024, 768, nullptr, test::Texts("NOP\r\n"));
  Form1& f = *scene;
  for (auto _ : st) {
    for (int tick = 0; tick < 428; ++tick) MessagePanelTick(f.Message);
    f.Damage().Clear();
    benchmark::DoNotOptimize(f.State.MessagePos);
  }
  st.SetItemsProcessed(st.iterations() * 428);
}
BENCHMARK(BM_TypewriterCycle);

}  // namespace
}  // namespace coderain
