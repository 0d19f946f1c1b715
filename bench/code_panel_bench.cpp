// One tick of a code panel: the common one that prints a line, and the one
// after a pause that clears the panel and starts a page.
#include <benchmark/benchmark.h>

#include <string>

#include "core/app/form1.h"
#include "core/panels/code/code_panel.h"
#include "test_support.h"

namespace coderain {
namespace {

struct Bench {
  Bench() {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "    mov eax, dword ptr [ebp+" + std::to_string(i) + "]\t; load\r\n";
    for (const char* name : {"codeASM.txt", "codeC.txt", "codeVB.txt"}) dir.Write(name, text);
    scene = std::make_unique<test::Scene>(1920, 1080, nullptr, dir.Path().string());
  }
  void Tick() {
    Form1& f = **scene;
    const CodePanel& c = f.CodePanels[0];
    CodePanelTick({c.heading, c.panel, c.file, started, c.timer, paused, c.pauseBase, c.runInterval, c.random});
  }
  test::TempDir dir;
  std::unique_ptr<test::Scene> scene;
  std::int32_t started = 1;
  std::int16_t paused = 0;
};

void BM_CodePanelPrintsALine(benchmark::State& state) {
  Bench b;
  Panel& p = (*b.scene)->picASM;
  for (auto _ : state) {
    // The first row of a page, so the panel never fills.
    p.CurrentX = 0;
    p.CurrentY = 21;
    b.Tick();
  }
}
BENCHMARK(BM_CodePanelPrintsALine);

void BM_CodePanelStartsAPage(benchmark::State& state) {
  Bench b;
  Panel& p = (*b.scene)->picASM;
  for (auto _ : state) {
    // Full and paused: the tick clears, draws frame and heading, prints.
    p.CurrentY = 1000;
    b.paused = kTrue;
    b.Tick();
  }
}
BENCHMARK(BM_CodePanelStartsAPage);

}  // namespace
}  // namespace coderain
