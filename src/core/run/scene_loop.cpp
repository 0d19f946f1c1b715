#include "core/run/scene_loop.h"

#include <algorithm>
#include <utility>

namespace coderain {

SceneLoop::SceneLoop(SceneDisplay* display, Stage* stage, const RunMode& mode, PresentObserver* observer,
                     FrameRate rate)
    : display_(*display), stage_(*stage), mode_(mode), observer_(observer), rate_(rate) {}

std::int64_t SceneLoop::FrameMsFor(std::int64_t fitMs, bool onBattery) const {
  const int fps = std::clamp(rate_.Cap(onBattery), 1, FrameRate::kMaxFps);
  return std::max<std::int64_t>(fitMs, (1000 + fps - 1) / fps);
}

bool SceneLoop::StartScene(int screen, std::int64_t now) {
  // A miniature is presented less often than the full scene. A new scene
  // on a screen nobody sees rests from its start.
  Pace& pace = paces_[screen];
  const bool unseen = pace.unseenSince >= 0;
  pace = Pace{};
  pace.fitMs = display_.Fit(screen).FrameMs();
  pace.frameMs = FrameMsFor(pace.fitMs, onBattery_);
  pace.startAt = now;
  if (unseen) pace.unseenSince = now;
  std::string error;
  // A batch runs every tick that fell due in its frame, at the slower
  // rate too: a change of rate drops none.
  pace.slowestMs = std::max(FrameMsFor(pace.fitMs, false), FrameMsFor(pace.fitMs, true));
  if (stage_.Start(screen, &display_.Frame(screen), now, &error)) {
    stage_.SetLatenessAllowed(screen, pace.slowestMs + 1);
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

std::int64_t SceneLoop::ShownAt(int screen) const {
  const auto it = paces_.find(screen);
  return it == paces_.end() || it->second.lastAt < 0 ? -1 : it->second.lastAt - it->second.startAt;
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
  if (pace.unseenSince >= 0) return kNoWake;
  // The scene's time: the clock's, less the time it rested.
  const std::int64_t lost = pace.lostMs;
  const auto sceneNow = [&clock, lost] { return clock.Now() - lost; };
  display_.PrepareToDraw(screen, form.Damage());
  form.RunUntil(sceneNow(), sceneNow);
  if (stage_.Ended()) return kNoWake;
  DamageList& damage = form.Damage();
  const std::int64_t t = sceneNow();
  if ((!damage.Empty() || display_.Pending(screen)) && PresentDue(screen, pace, t)) {
    pace.busy = !display_.Present(screen, damage);
    if (!pace.busy) {
      if (observer_) observer_->Presented(screen, damage, form.State.BurstDone != 0, clock.Now());
      damage.Clear();
      pace.lastAt = t;
    }
  }
  pace.awaited = display_.AwaitsDisplay(screen);
  return NextWake(screen, pace, form) + lost;
}

bool SceneLoop::PresentDue(int screen, const Pace& pace, std::int64_t t) const {
  // At most one present a frame, whenever in the frame the display can
  // take it: a present that had to wait does not push the next one back.
  if (t / pace.frameMs > pace.LastFrame()) return true;
  // A display that said when the next present may go paces them at its
  // own rate, where no lower one is asked for.
  return pace.awaited && !display_.AwaitsDisplay(screen) && pace.frameMs == pace.fitMs;
}

std::int64_t SceneLoop::NextWake(int screen, const Pace& pace, Form1& form) const {
  // A display that will say when the next present may go is the clock:
  // the loop waits for it, and wakes by itself only before a tick would
  // run later than a batch allows (a display that stops saying so).
  if (pace.awaited) return form.NextDue() + pace.slowestMs - 1;
  // The frame boundary at or after the next tick; sooner when a present
  // waits only for its frame. A display that is busy says when it is not.
  std::int64_t wake = (form.NextDue() + pace.frameMs - 1) / pace.frameMs * pace.frameMs;
  if ((!form.Damage().Empty() || display_.Pending(screen)) && !pace.busy)
    wake = std::min(wake, (pace.LastFrame() + 1) * pace.frameMs);
  return wake;
}

void SceneLoop::SetSeen(int screen, bool seen, std::int64_t now) {
  const auto it = paces_.find(screen);
  if (!mode_.mayRestUnseen || it == paces_.end()) return;
  Pace& pace = it->second;
  if (!seen) {
    if (pace.unseenSince < 0) pace.unseenSince = now;
    return;
  }
  if (pace.unseenSince < 0) return;
  // The scene goes on from where it stopped; the frame count goes on in
  // the scene's time, so the first present is due at once.
  pace.lostMs += now - pace.unseenSince;
  pace.unseenSince = -1;
  pace.busy = false;
  display_.PresentAll(screen);
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
    case Kind::Unseen:
    case Kind::Seen:
      if (there()) SetSeen(ev.screen, ev.kind == Kind::Seen, now);
      break;
    case Kind::PowerChanged:
      onBattery_ = ev.onBattery;
      for (auto& [screen, pace] : paces_) pace.frameMs = FrameMsFor(pace.fitMs, onBattery_);
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
