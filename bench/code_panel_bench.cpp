// One tick of a code panel: the common one that prints a line, and the one
// after a pause that clears the panel and starts a page.
#include <benchmark/benchmark.h>

#include <string>

#include "core/app/form1.h"
#include "core/base/source_file.h"
#include "core/panels/code/code_panel.h"
#include "support/headless_scene.h"

namespace coderain {
namespace {

struct Bench {
  Bench() {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "    mov eax, dword ptr [ebp+" + std::to_string(i) + "]\t; load\r\n";
    scene = std::make_unique<test::Scene>(1920, 1080, nullptr, test::Texts(text));
  }
  void Tick() {
    Form1& f = **scene;
    const CodePanel& c = f.CodePanels[0];
    CodePanelTick({c.heading, c.panel, c.file, started, c.timer, paused, c.pauseBase, c.runInterval, c.random});
  }
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

// The line reader's costliest call: a 64 KiB piece of one endless line,
// past what a panel shows, in bytes (0) and in UTF-16 (1), which is read
// unit by unit so that a line end is found only on a unit's boundary.
void BM_ReaderLongLinePiece(benchmark::State& state) {
  const bool utf16 = state.range(0) != 0;
  test::TempDir dir;
  std::string text = utf16 ? "\xFF\xFE" : "";
  text.resize(text.size() + (4 << 20), 'x');
  if (utf16)
    for (std::size_t i = 3; i < text.size(); i += 2) text[i] = '\0';
  SourceFile f;
  std::string error;
  if (!f.Open(dir.Write("long.txt", text).string(), &error)) state.SkipWithError(error.c_str());
  for (auto _ : state) {
    if (f.AtEnd()) f.Rewind();
    benchmark::DoNotOptimize(f.ReadLine().size());
  }
}
BENCHMARK(BM_ReaderLongLinePiece)->Arg(0)->Arg(1);

}  // namespace
}  // namespace coderain
