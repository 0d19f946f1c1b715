#include "core/run/run_scene.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "core/app/stage.h"
#include "core/base/random_source.h"
#include "core/gfx/font.h"
#include "core/run/run_stats.h"

namespace coderain {

LoopEnd RunScene(SceneDisplay* display, LaunchRequest::Mode mode, const std::string& programDir, bool stats) {
  LoopEnd failed{1, 0, ""};
  FontFaces fonts;
  if (!FindSceneFonts(&fonts, &failed.message)) return failed;
  if (programDir.empty()) {
    failed.message = "cannot find the program's directory";
    return failed;
  }
  // One seed for the whole run, from the clock.
  SeededRandom random(static_cast<std::uint64_t>(std::time(nullptr)) ^
                      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  Stage stage(fonts, &random, programDir);
  const SteadyClock clock;
  RunStats runStats;
  const LoopEnd end = SceneLoop(display, &stage, &clock, mode, stats ? &runStats : nullptr).Run();
  if (stats && stage.HasScene()) runStats.Print(stderr, stage.Form().Timers, clock.Now());
  return end;
}

}  // namespace coderain
