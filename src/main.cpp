// coderain: a full-screen green-code display.
//
// Sets up the display, the fonts and the scene, then runs the scene's timers
// on the steady clock until a key press, a click or a close request ends it;
// in a window lent by a screen-saver daemon, until a signal or the window's
// end.
// With no options it is the full-screen display; the options are those of
// screen-saver daemons (app/program_options.h).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/program_options.h"
#include "app/stage.h"
#include "platform/font.h"
#include "platform/front_end.h"
#include "platform/host/close_signals.h"
#include "platform/host/process.h"
#include "platform/random_source.h"
#include "platform/sdl/sdl_front_end.h"
#include "platform/x11/x11_front_end.h"
#ifdef CODERAIN_STATS
#include "platform/host/run_stats.h"
#endif

namespace {

using coderain::FrontEnd;
using coderain::FrontEndEvent;
using coderain::Stage;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "coderain: %s\n", what.c_str());
  std::fflush(nullptr);
  std::_Exit(1);
}

class SteadyClock {
 public:
  std::int64_t Now() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// X11 where there is an X server (directly or through a Wayland
// compositor's X server: both are exact and cheap), else SDL's Wayland.
// A window lent by a screen-saver daemon is always an X window.
std::unique_ptr<FrontEnd> OpenFrontEnd(const coderain::ProgramOptions& options, const char* title) {
  using Target = coderain::ProgramOptions::Target;
  std::string error;
  const char* display = options.display.empty() ? std::getenv("DISPLAY") : options.display.c_str();
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool lent = options.target != Target::OwnWindow;
  if (lent || (display && *display)) {
    std::unique_ptr<coderain::X11FrontEnd> x = coderain::X11FrontEnd::Open(display, &error);
    if (x) {
      x->RequestScale(options.scale);
      std::string windowError;
      if (!lent) {
        if (!x->CreateWindow(title, &windowError)) Fail("cannot create the window: " + windowError);
        return x;
      }
      unsigned long id = options.windowId;
      if (options.target == Target::Root) {
        std::string note;
        id = coderain::DaemonWindow(std::getenv("XSCREENSAVER_WINDOW"), &note);
        if (!note.empty()) std::fprintf(stderr, "%s\n", note.c_str());
      }
      if (!x->UseWindow(id, &windowError)) Fail(windowError);
      return x;
    }
    if (lent || !(wayland && *wayland)) Fail("cannot open the display: " + error);
  }
  // Without DISPLAY, a Wayland compositor at its usual place is as good.
  std::unique_ptr<coderain::SdlFrontEnd> s = coderain::SdlFrontEnd::Open("wayland", &error);
  if (!s && !(display && *display) && !(wayland && *wayland))
    Fail("cannot open the display: DISPLAY is not set, and no Wayland compositor answers (" + error + ")");
  if (!s) Fail("cannot open the display: " + error);
  s->RequestScale(options.scale);
  if (!s->CreateWindow(title, &error)) Fail("cannot create the window: " + error);
  return s;
}

// Ends the process with status 0 and nothing more said.
[[noreturn]] void EndQuietly() {
  std::fflush(nullptr);
  std::_Exit(0);
}

}  // namespace

int main(int argc, char** argv) {
  // Before any library can open a file into a closed standard descriptor.
  coderain::KeepStandardDescriptorsOpen();
  coderain::ProgramOptions options;
  if (const int status = coderain::ParseProgramOptions(argc, argv, &options, std::cout, std::cerr); status >= 0)
    return status;
  SteadyClock clock;
  coderain::CloseSignals signals;
  if (!signals.Install()) Fail("cannot set up the close signals");

  std::unique_ptr<FrontEnd> frontEnd = OpenFrontEnd(options, "Form1");
  // In a window lent by a screen-saver daemon the daemon owns the keyboard
  // and the mouse, and ends the display with a signal or by destroying the
  // window.
  const bool lent = options.target != coderain::ProgramOptions::Target::OwnWindow;
  std::string error;
  coderain::FontFiles fonts;
  if (!coderain::FindSceneFonts(&fonts, &error)) Fail(error);
  const std::string dir = coderain::ProgramDirectory();
  if (dir.empty()) Fail("cannot find the program's directory");

  // One seed for the whole run, from the clock.
  coderain::SeededRandom random(
      static_cast<std::uint64_t>(std::time(nullptr)) ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  Stage stage(fonts, &random, dir);
  if (!stage.Start(frontEnd->SceneWidth(), frontEnd->SceneHeight(), clock.Now(), &error, frontEnd->SceneFrame()))
    Fail(error);
  frontEnd->Show();

  // The screen changes only when a frame is presented, at most once a
  // display refresh. So the loop wakes at frame boundaries and runs every
  // tick due by then, each in its turn and at its own due time as the scene
  // sees it: no rhythm changes, and the program wakes once a frame rather
  // than once a tick. Input and close requests wake it at once.
  const auto framePeriod = [&frontEnd] {
    const int hz = frontEnd->RefreshHz() > 0 ? frontEnd->RefreshHz() : 60;
    return std::int64_t{(1000 + hz - 1) / hz};
  };
  std::int64_t frameMs = framePeriod();
  const auto frameAfter = [&frameMs](std::int64_t t) { return (t + frameMs - 1) / frameMs * frameMs; };
  stage.SetLatenessAllowed(frameMs + 1);
  std::int64_t lastPresent = -frameMs;
  bool displayBusy = false;
  const coderain::TimerScheduler::Clock now = [&clock] { return clock.Now(); };
  std::vector<FrontEndEvent> events;
#ifdef CODERAIN_STATS
  coderain::RunStats stats;
#endif

  while (!stage.Ended()) {
    if (signals.Requested()) {
      stage.CloseRequest();
      break;
    }
    stage.RunUntil(clock.Now(), now);
    if (stage.Ended()) break;
    coderain::DamageList& damage = stage.Damage();
    const std::int64_t t = clock.Now();
    if (!damage.Empty() && t - lastPresent >= frameMs) {
      // A display still busy with the last present gets this damage with
      // the next; it says when it is done, which wakes the loop.
      displayBusy = !frontEnd->Present(stage.Frame(), damage);
      if (!displayBusy) {
#ifdef CODERAIN_STATS
        stats.Presented(damage, stage.Form().State.BurstDone != 0, t);
#endif
        damage.Clear();
        lastPresent = t;
      }
    }
    std::int64_t wake = frameAfter(stage.NextDue());
    if (!damage.Empty() && !displayBusy) wake = std::min(wake, lastPresent + frameMs);
    const std::int64_t wait = std::clamp<std::int64_t>(wake - clock.Now(), 0, 1000);
    events.clear();
    frontEnd->Wait(static_cast<int>(wait), signals.Fd(), &events);
    for (const FrontEndEvent& ev : events) {
      if (stage.Ended()) break;
      switch (ev.kind) {
        case FrontEndEvent::Kind::Resized:
          // The layout is made once per scene: a new size is a new scene.
          if (!stage.Runs(ev.width, ev.height, frontEnd->SceneFrame()) &&
              !stage.Start(ev.width, ev.height, clock.Now(), &error, frontEnd->SceneFrame()))
            Fail(error);
          // A miniature is presented less often than the full scene.
          frameMs = framePeriod();
          stage.SetLatenessAllowed(frameMs + 1);
          frontEnd->PresentAll(stage.Frame());
          break;
        case FrontEndEvent::Kind::Exposed:
          // What was covered comes back as the scene left it.
          frontEnd->PresentAll(stage.Frame());
          break;
        case FrontEndEvent::Kind::Appeared:
          stage.WindowAppeared(ev.keys);
          break;
        case FrontEndEvent::Kind::KeyDown:
          stage.KeyDown(ev.key);
          break;
        case FrontEndEvent::Kind::KeyUp:
          stage.KeyUp(ev.key);
          break;
        case FrontEndEvent::Kind::ButtonDown:
          stage.ButtonDown(ev.at);
          break;
        case FrontEndEvent::Kind::ButtonUp:
          stage.ButtonUp(ev.at);
          break;
        case FrontEndEvent::Kind::CloseRequested:
          stage.CloseRequest();
          break;
        case FrontEndEvent::Kind::WindowGone:
          // A daemon destroys the window it lent when it is done with it.
          if (lent) EndQuietly();
          Fail("lost the window: another program destroyed it");
      }
    }
  }
#ifdef CODERAIN_STATS
  stats.Print(stderr, stage.Form().Timers, clock.Now());
#endif
  // A daemon counts any end of what it started but by its signal as a
  // failure.
  if (lent && signals.Requested()) {
    std::fflush(nullptr);
    signals.DieBySignal();
  }
  // The scene has closed. Tearing the window down piece by piece costs a
  // round trip to the X server and, on a large screen, tens of milliseconds
  // the user waits through; the server removes the window, its image and
  // everything else of ours when the connection closes with the process.
  EndQuietly();
}
