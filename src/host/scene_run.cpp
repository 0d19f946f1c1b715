#include "host/scene_run.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "core/base/program_directory.h"
#include "core/gfx/font.h"

namespace coderain {

SceneRun::SceneRun(SceneDisplay* display, const LaunchRequest& request, bool stats, std::optional<std::uint64_t> seed,
                   const Clock* clock)
    : display_(*display),
      mode_(request.mode),
      dataDir_(request.dataDir.empty() ? ProgramDirectory() : request.dataDir),
      stats_(stats),
      // One seed for the whole run, from the clock.
      seed_(seed ? *seed
                 : static_cast<std::uint64_t>(std::time(nullptr)) ^
                       static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())),
      clock_(clock ? *clock : steady_) {}

LoopStatus SceneRun::Start() {
  LoopStatus failed{false, {1, 0, ""}};
  FontFaces fonts;
  if (!FindSceneFonts(&fonts, &failed.end.message)) return failed;
  if (dataDir_.empty()) {
    failed.end.message = "cannot find the program's directory";
    return failed;
  }
  stage_ = std::make_unique<Stage>(fonts, seed_, dataDir_);
  loop_ = std::make_unique<SceneLoop>(&display_, stage_.get(), ModeOf(mode_), stats_ ? &runStats_ : nullptr);
  return loop_->Start(clock_);
}

const LoopEnd& SceneRun::Finish(const LoopEnd& end) {
  if (stats_ && stage_) {
    const std::vector<int> screens = display_.Screens();
    if (const Form1* form = screens.empty() ? nullptr : stage_->Scene(screens.front()))
      runStats_.Print(stderr, form->Timers, clock_.Now());
  }
  return end;
}

}  // namespace coderain
