#include "core/run/scene_loop.h"

#include <algorithm>
#include <utility>

#include "core/run/run_stats.h"

namespace coderain {

SceneLoop::SceneLoop(SceneDisplay* display, Stage* stage, const Clock* clock, LaunchRequest::Mode mode, RunStats* stats)
    : display_(*display),
      stage_(*stage),
      clock_(*clock),
      lent_(mode == LaunchRequest::Mode::LentWindow || mode == LaunchRequest::Mode::Preview),
      stats_(stats) {}

LoopEnd SceneLoop::Run() {
  TakeFit();
  std::string error;
  if (!stage_.Start(&display_.Frame(), clock_.Now(), &error)) return {1, 0, error};
  display_.Show();
  lastPresent_ = clock_.Now() - frameMs_;
  while (!done_ && !stage_.Ended()) {
    const int wait = RunFrame();
    if (stage_.Ended()) break;
    events_.clear();
    display_.Wait(wait, &events_);
    for (const DisplayEvent& ev : events_) {
      if (done_ || stage_.Ended()) break;
      Dispatch(ev);
    }
  }
  return end_;
}

int SceneLoop::RunFrame() {
  stage_.RunUntil(clock_.Now(), [this] { return clock_.Now(); });
  if (stage_.Ended()) return 0;
  DamageList& damage = stage_.Damage();
  const std::int64_t t = clock_.Now();
  if (!damage.Empty() && t - lastPresent_ >= frameMs_) {
    displayBusy_ = !display_.Present(damage);
    if (!displayBusy_) {
      if (stats_) stats_->Presented(damage, stage_.Form().State.BurstDone != 0, t);
      damage.Clear();
      lastPresent_ = t;
    }
  }
  // The frame boundary at or after the next tick; sooner when a present
  // waits only for its frame.
  std::int64_t wake = (stage_.NextDue() + frameMs_ - 1) / frameMs_ * frameMs_;
  if (!damage.Empty() && !displayBusy_) wake = std::min(wake, lastPresent_ + frameMs_);
  return static_cast<int>(std::clamp<std::int64_t>(wake - clock_.Now(), 0, 1000));
}

void SceneLoop::Dispatch(const DisplayEvent& ev) {
  using Kind = DisplayEvent::Kind;
  std::string error;
  switch (ev.kind) {
    case Kind::Resized:
      // The layout is made once per scene: a new size is a new scene, and
      // the damage of the old one goes with it.
      TakeFit();
      if (!stage_.Start(&display_.Frame(), clock_.Now(), &error)) return EndWith(1, error);
      display_.PresentAll();
      break;
    case Kind::Exposed:
      // What was covered comes back as the scene left it.
      display_.PresentAll();
      break;
    case Kind::Appeared:
      if (!lent_) stage_.WindowAppeared(ev.keys);
      break;
    case Kind::KeyDown:
      if (!lent_) stage_.KeyDown(ev.key);
      break;
    case Kind::KeyUp:
      if (!lent_) stage_.KeyUp(ev.key);
      break;
    case Kind::ButtonDown:
      if (!lent_) stage_.ButtonDown(ev.at);
      break;
    case Kind::ButtonUp:
      if (!lent_) stage_.ButtonUp(ev.at);
      break;
    case Kind::CloseRequested:
      stage_.CloseRequest();
      // A daemon counts any end of what it started but by its signal as a
      // failure.
      if (lent_) end_.signal = ev.signal;
      break;
    case Kind::WindowGone:
      // A daemon destroys the window it lent when it is done with it.
      if (lent_) return EndWith(0, "");
      return EndWith(1, "lost the window: another program destroyed it");
    case Kind::Failed:
      return EndWith(1, ev.text);
  }
}

void SceneLoop::TakeFit() {
  // A miniature is presented less often than the full scene.
  frameMs_ = display_.Fit().FrameMs();
  stage_.SetLatenessAllowed(frameMs_ + 1);
}

void SceneLoop::EndWith(int status, std::string message) {
  end_ = {status, 0, std::move(message)};
  done_ = true;
}

}  // namespace coderain
