#include "host/scene_run.h"

#include <algorithm>
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
      rate_(request.rate),
      dataDir_(request.dataDir),
      stats_(stats),
      // One seed for the whole run, from the clock.
      seed_(seed ? *seed
                 : static_cast<std::uint64_t>(std::time(nullptr)) ^
                       static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())),
      clock_(clock ? *clock : steady_) {}

LoopStatus SceneRun::Start() {
  LoopStatus failed{false, {1, 0, ""}};
  FontFaces fonts;
  if (faces_)
    fonts = *faces_;
  else if (!FindSceneFonts(&fonts, &failed.end.message))
    return failed;
  // The user's folder, where a file that is not there is the program's own.
  const std::string own = ProgramDirectory();
  std::string note;
  const TextFolders texts = dataDir_.empty() ? TextFolders(own) : FindTextFolders(dataDir_, own, &note);
  if (texts.of[0].empty()) {
    failed.end.message = "cannot find the program's directory";
    return failed;
  }
  stage_ = std::make_unique<Stage>(fonts, seed_, texts);
  loop_ = std::make_unique<SceneLoop>(&display_, stage_.get(), ModeOf(mode_), stats_ ? &runStats_ : nullptr, rate_);
  const LoopStatus started = loop_->Start(clock_);
  // Said once the files have opened: a failure is the one line.
  if (started.running && !note.empty()) std::fprintf(stderr, "%s: %s\n", program_, note.c_str());
  return started;
}

const LoopEnd& SceneRun::Finish(const LoopEnd& end) {
  if (stats_ && stage_) {
    const std::vector<int> screens = display_.Screens();
    if (const Form1* form = screens.empty() ? nullptr : stage_->Scene(screens.front()))
      runStats_.Print(stderr, form->Timers, clock_.Now());
  }
  return end;
}

namespace {

// What a run on the virtual clock is launched as: nothing but the scenes,
// and no input counts.
LaunchRequest VirtualRequest(const std::string& dataDir, FrameRate rate) {
  LaunchRequest request;
  request.mode = LaunchRequest::Mode::Still;
  request.dataDir = dataDir;
  request.rate = rate;
  return request;
}

}  // namespace

VirtualRun::VirtualRun(SceneDisplay* shown, const std::string& dataDir, std::uint64_t seed,
                       const std::optional<FontFaces>& faces, FrameRate rate)
    : sink_(shown), run_(&sink_, VirtualRequest(dataDir, rate), false, seed, &clock_) {
  if (faces) run_.UseFaces(*faces);
  // Of the virtual runs only the renderer reads a folder of the user's.
  run_.NameProgram("coderain-render");
}

bool VirtualRun::Start(std::string* error) {
  clock_.now = 0;
  status_ = run_.Start();
  if (!status_.running) *error = status_.end.message;
  return status_.running;
}

void VirtualRun::RunTo(std::int64_t t) {
  // Where a driver would wake the loop: every tick then runs in its frame,
  // at its own time, none late.
  while (status_.running && status_.wakeAt <= t) {
    clock_.now = std::max(clock_.now + 1, status_.wakeAt);
    status_ = run_.Step({});
  }
  if (status_.running && t > clock_.now) {
    clock_.now = t;
    status_ = run_.Step({});
  }
}

}  // namespace coderain
