#include "core/run/scene_loop.h"

#include <algorithm>
#include <utility>

namespace coderain {

SceneLoop::SceneLoop(SceneDisplay* display, Stage* stage, const RunMode& mode, PresentObserver* observer)
    : display_(*display), stage_(*stage), mode_(mode), observer_(observer) {}

bool SceneLoop::StartScene(int screen, std::int64_t now) {
  // A miniature is presented less often than the full scene.
  Pace& pace = paces_[screen];
  pace = Pace{display_.Fit(screen).FrameMs()};
  std::string error;
  if (stage_.Start(screen, &display_.Frame(screen), now, &error)) {
    stage_.SetLatenessAllowed(screen, pace.frameMs + 1);
    return true;
  }
  EndWith(1, error);
  return false;
}

LoopStatus SceneLoop::Start(const Clock& clock) {
  for (int screen : display_.Screens())
    if (!StartScene(screen, clock.Now())) return {false, end_};
  display_.Show();
  return RunFrames(clock);
}

LoopStatus SceneLoop::Step(const Clock& clock, std::span<const DisplayEvent> events) {
  for (const DisplayEvent& ev : events) {
    if (done_ || stage_.Ended()) break;
    Dispatch(ev, clock.Now());
  }
  return RunFrames(clock);
}

LoopStatus SceneLoop::RunFrames(const Clock& clock) {
  std::int64_t wake = kNoWake;
  for (auto& [screen, pace] : paces_) {
    if (done_ || stage_.Ended()) break;
    wake = std::min(wake, RunFrame(screen, clock));
  }
  if (done_ || stage_.Ended()) return {false, end_};
  return {true, {}, wake};
}

std::int64_t SceneLoop::RunFrame(int screen, const Clock& clock) {
  Form1& form = *stage_.Scene(screen);
  Pace& pace = paces_[screen];
  form.RunUntil(clock.Now(), [&clock] { return clock.Now(); });
  if (stage_.Ended()) return kNoWake;
  DamageList& damage = form.Damage();
  const std::int64_t t = clock.Now();
  // At most one present a frame, whenever in the frame the display can
  // take it: a present that had to wait does not push the next one back.
  const std::int64_t frame = t / pace.frameMs;
  const bool toShow = !damage.Empty() || display_.Pending(screen);
  if (toShow && frame > pace.lastFrame) {
    pace.busy = !display_.Present(screen, damage);
    if (!pace.busy) {
      if (observer_) observer_->Presented(screen, damage, form.State.BurstDone != 0, t);
      damage.Clear();
      pace.lastFrame = frame;
    }
  }
  // The frame boundary at or after the next tick; sooner when a present
  // waits only for its frame. A display that is busy says when it is not.
  std::int64_t wake = (form.NextDue() + pace.frameMs - 1) / pace.frameMs * pace.frameMs;
  if ((!damage.Empty() || display_.Pending(screen)) && !pace.busy)
    wake = std::min(wake, (pace.lastFrame + 1) * pace.frameMs);
  return wake;
}

void SceneLoop::Dispatch(const DisplayEvent& ev, std::int64_t now) {
  using Kind = DisplayEvent::Kind;
  const bool known = paces_.count(ev.screen) != 0;
  // A batch may hold events for a screen that a later change of the same
  // batch took away (a monitor that came and went at once): they are
  // dropped, and no screen is used once the display no longer has it.
  const auto there = [&] {
    const std::vector<int> screens = display_.Screens();
    return std::find(screens.begin(), screens.end(), ev.screen) != screens.end();
  };
  switch (ev.kind) {
    case Kind::ScreenAdded:
    case Kind::Resized:
      // The layout is made once per scene: a new size is a new scene, and
      // the damage of the old one goes with it.
      if (there() && StartScene(ev.screen, now)) display_.PresentAll(ev.screen);
      break;
    case Kind::ScreenRemoved:
      stage_.Remove(ev.screen);
      paces_.erase(ev.screen);
      break;
    case Kind::Exposed:
      // What was covered comes back as the scene left it.
      if (known && there()) display_.PresentAll(ev.screen);
      break;
    case Kind::Appeared:
      if (mode_.inputCounts) stage_.WindowAppeared(ev.keys);
      break;
    case Kind::KeyDown:
      if (mode_.inputCounts) stage_.KeyDown(ev.key);
      break;
    case Kind::KeyUp:
      if (mode_.inputCounts) stage_.KeyUp(ev.key);
      break;
    case Kind::ButtonDown:
      if (mode_.inputCounts) stage_.ButtonDown(ev.screen, ev.at);
      break;
    case Kind::ButtonUp:
      if (mode_.inputCounts) stage_.ButtonUp(ev.screen, ev.at);
      break;
    case Kind::CloseRequested:
      // The scenes close, and the run ends even where none is shown now.
      // A daemon counts any end of what it started but by its signal as a
      // failure.
      stage_.CloseRequest();
      EndWith(0, "");
      if (mode_.closeBySignal) end_.signal = ev.signal;
      break;
    case Kind::WindowGone:
      // A daemon destroys the window it lent when it is done with it.
      if (!mode_.windowGoneFails) return EndWith(0, "");
      return EndWith(1, "lost the window: another program destroyed it");
    case Kind::Failed:
      return EndWith(1, ev.text);
  }
}

void SceneLoop::EndWith(int status, std::string message) {
  end_ = {status, 0, std::move(message)};
  done_ = true;
}

}  // namespace coderain
