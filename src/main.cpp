// coderain: a full-screen green-code display.
//
// Sets up the display, the fonts and the scene, then runs the scene's timers
// on the steady clock until a key press, a click or a close request ends it.
// The command line and the environment change nothing.
#include <SDL.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/form1.h"
#include "platform/font.h"
#include "platform/random_source.h"
#include "platform/sdl/sdl_display.h"
#ifdef CODERAIN_STATS
#include "platform/sdl/run_stats.h"
#endif

namespace {

using coderain::Form1;

// Set by SIGTERM and SIGINT: a close request, handled between ticks.
volatile std::sig_atomic_t closeRequested = 0;

void OnSignal(int) { closeRequested = 1; }

void CatchCloseSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
}

int Fail(const std::string& what) {
  std::fprintf(stderr, "coderain: %s\n", what.c_str());
  return 1;
}

class SteadyClock {
 public:
  std::int64_t Now() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// What the input handling remembers between events.
struct InputState {
  // A press and a release on the same target make a click.
  bool buttonDown = false;
  const coderain::Panel* target = nullptr;
  // When the window gains the focus, SDL reports the keys already held
  // down at that moment as key presses, right after the focus event. They
  // are not presses made on the display: the Enter that started the program
  // from a terminal is usually still down when the window appears. They
  // arrive within a few milliseconds of the focus event; a person cannot
  // press a key that fast after the window appears.
  static constexpr Uint32 kHeldKeyWindowMs = 100;
  bool focused = false;
  Uint32 focusedAt = 0;
};

void Handle(const SDL_Event& ev, Form1& form, coderain::SdlDisplay& display, InputState& input) {
  switch (ev.type) {
    case SDL_KEYDOWN:
      // A repeat comes only from a key held since before the window had
      // the focus; a key pressed on the display ends it at once.
      if (ev.key.repeat == 0 && !(input.focused && ev.key.timestamp - input.focusedAt < InputState::kHeldKeyWindowMs))
        form.OnKeyDown();
      break;
    case SDL_MOUSEBUTTONDOWN:
      input.buttonDown = true;
      input.target = form.PanelAt({ev.button.x, ev.button.y});
      break;
    case SDL_MOUSEBUTTONUP:
      if (input.buttonDown && form.PanelAt({ev.button.x, ev.button.y}) == input.target)
        form.OnClick({ev.button.x, ev.button.y});
      input.buttonDown = false;
      break;
    case SDL_QUIT:  // also SIGINT and SIGTERM
      form.OnCloseRequest();
      break;
    case SDL_WINDOWEVENT:
      if (ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        input.focused = true;
        input.focusedAt = ev.window.timestamp;
      } else if (ev.window.event == SDL_WINDOWEVENT_CLOSE) {
        form.OnCloseRequest();
      } else if (ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        std::string error;
        if (!display.Refresh(&error)) {
          std::fprintf(stderr, "coderain: lost the window surface: %s\n", error.c_str());
          form.OnCloseRequest();
        }
      } else if (ev.window.event == SDL_WINDOWEVENT_EXPOSED) {
        display.PresentAll();
      }
      break;
    default:
      break;
  }
}

}  // namespace

int main(int, char**) {
  SteadyClock clock;
  coderain::SdlDisplay display;
  std::string error;
  if (!display.Open(&error)) return Fail("cannot open the display: " + error);
  CatchCloseSignals();

  coderain::FontFiles files;
  coderain::SceneFonts fonts;
  if (!coderain::FindSceneFonts(&files, &error) || !fonts.Load(files, &error)) return Fail(error);

  const std::string dir = coderain::ProgramDirectory();
  if (dir.empty()) return Fail("cannot find the program's directory");

  if (!display.CreateWindow("Form1", &error)) return Fail("cannot create the window: " + error);

  // One seed for the whole run, from the clock.
  coderain::SeededRandom random(
      static_cast<std::uint64_t>(std::time(nullptr)) ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  Form1 form(display.Framebuffer(), std::move(fonts), &random, dir, clock.Now());
  if (!form.Start(&error)) return Fail(error);
  display.Show();
  SDL_StopTextInput();

  // The screen changes only when a frame is presented, at most once a
  // display refresh. So the loop wakes at frame boundaries and runs every
  // tick due by then, each in its turn and at its own due time as the scene
  // sees it: no rhythm changes, and the program wakes once a frame rather
  // than once a tick. Input wakes it at once.
  const int hz = display.RefreshHz() > 0 ? display.RefreshHz() : 60;
  const std::int64_t frameMs = (1000 + hz - 1) / hz;
  const auto frameAfter = [frameMs](std::int64_t t) { return (t + frameMs - 1) / frameMs * frameMs; };
  form.SetLatenessAllowed(frameMs + 1);
  std::int64_t lastPresent = -frameMs;
  const coderain::TimerScheduler::Clock now = [&clock] { return clock.Now(); };
  InputState input;
#ifdef CODERAIN_STATS
  coderain::RunStats stats;
#endif
  coderain::DamageList& damage = form.Damage();

  while (!form.Ended()) {
    if (closeRequested) {
      form.OnCloseRequest();
      break;
    }
    form.RunUntil(clock.Now(), now);
    if (form.Ended()) break;
    std::int64_t t = clock.Now();
    if (!damage.Empty() && t - lastPresent >= frameMs) {
      display.Present(damage);
#ifdef CODERAIN_STATS
      stats.Presented(damage, form.State.BurstDone != 0, t);
#endif
      damage.Clear();
      lastPresent = t;
    }
    std::int64_t wake = frameAfter(form.NextDue());
    if (!damage.Empty()) wake = std::min(wake, lastPresent + frameMs);
    const std::int64_t wait = std::max<std::int64_t>(0, wake - clock.Now());
    display.WaitForInput(static_cast<int>(std::min<std::int64_t>(wait, 1000)));
    SDL_Event ev;
    while (!form.Ended() && SDL_PeepEvents(&ev, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
      Handle(ev, form, display, input);
  }
#ifdef CODERAIN_STATS
  stats.Print(stderr, form.Timers, clock.Now());
#endif
  // The scene has closed. Tearing the window down piece by piece costs a
  // round trip to the X server and, on a large screen, tens of milliseconds
  // the user waits through; the server removes the window, its image and
  // everything else of ours when the connection closes with the process.
  std::fflush(nullptr);
  std::_Exit(0);
}
