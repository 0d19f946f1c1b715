// The page's entry points, called by its script (page.html), which is the
// host's driver: from its frame callback it hands in the window's size,
// the input its listeners heard since the last frame and the time, and
// steps the scene's loop. A hidden page gets no frames and costs nothing,
// and its scene rests: shown again, it goes on where it stopped, with no
// burst of the time it missed. So does a page whose frames stop coming for
// a while without a word (a host that pauses its wallpaper, a window
// covered).
//
// Without at=MS the scene is live, and ends as the program's own window
// does (a counted key or click), after which the canvas is black, but for
// the page's hint, until a click starts a new scene. A new fragment starts
// the page again with its options. With at=MS it is a still: the scene run
// on a virtual clock to MS, as coderain-render --at shows it, and held.
#include <emscripten/console.h>
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/base/clock.h"
#include "core/run/display_table.h"
#include "displays/web/web_display.h"
#include "host/scene_run.h"
#include "main/web/page_options.h"

namespace {

using namespace coderain;

// What the page shows, as page.html names it.
enum class Shows { None, Live, Ended, Stopped, Still };

// The largest canvas a browser draws: beyond it a canvas stays blank.
constexpr long long kMaxCanvasPixels = 16384LL * 16384;

// Frames this far apart mean nobody saw the page in between: a browser
// gives a page it shows a frame every refresh, a slow one a few a second.
constexpr double kUnseenGapMs = 1000;

// The page's time as its frame callbacks tell it, in whole ms; it never
// goes back.
class PageClock : public Clock {
 public:
  std::int64_t Now() const override { return now_; }
  void Tell(double ms) { now_ = std::max(now_, static_cast<std::int64_t>(ms)); }

 private:
  std::int64_t now_ = 0;
};

struct Page {
  PageOptions options;
  LaunchRequest request;
  std::uint64_t seed = 0;  // the next scene's
  std::unique_ptr<WebDisplay> display;
  PageClock clock;
  std::unique_ptr<SceneRun> run;
  bool startDue = false;  // a live scene starts with the next frame
  bool ended = false;     // the scene ended as its user asked
  bool hidden = false;    // the page was hidden since the last frame
  double lastFrame = -1;  // the time of the last frame, or -1
  double waitMs = 0;      // how long the scene wants no frame, after the last step
  std::string sizeLine;   // why the window's size shows nothing
  std::string endLine;    // why the last scene ended, where it failed
};
Page page;

Shows State() {
  if (!page.sizeLine.empty() || !page.endLine.empty()) return Shows::Stopped;
  if (page.display->Screens().empty()) return Shows::None;
  if (page.options.atMs) return Shows::Still;
  return page.ended ? Shows::Ended : Shows::Live;
}

std::uint64_t Seed(unsigned high, unsigned low) { return page.options.seed.value_or(std::uint64_t{high} << 32 | low); }

void EndRun(const LoopEnd& end) {
  page.run->Finish(end);
  page.run.reset();
  page.display->Stop();
  if (end.status == 0)
    page.ended = true;
  else
    page.endLine = "coderain: " + end.message;
}

void StepRun() {
  const LoopStatus status = page.run->Step(page.display->TakeEvents());
  page.waitMs = static_cast<double>(status.WaitMs(page.clock.Now()));
  if (!status.running) EndRun(status.end);
}

void StartRun() {
  page.startDue = false;
  page.ended = false;
  page.endLine.clear();
  page.run = std::make_unique<SceneRun>(page.display.get(), page.request, false, page.seed, &page.clock);
  const LoopStatus status = page.run->Start();
  if (!status.running) EndRun(status.end);
}

// The still: the scene on a virtual clock from 0 to the time asked for, as
// the renderer runs it (but stepped at the frames the page's rate allows:
// the same scene), the whole frame put on the canvas.
bool ShowStill(std::string* error) {
  VirtualRun still(page.display.get(), page.request.dataDir, page.seed, std::nullopt, page.request.rate);
  if (!still.Start(error)) return false;
  still.RunTo(*page.options.atMs);
  page.display->PresentAll(WebDisplay::kScreen);
  return true;
}

void Resize(int width, int height, double density) {
  page.sizeLine.clear();
  std::string error;
  if (static_cast<long long>(width) * height > kMaxCanvasPixels) {
    page.sizeLine = "coderain: a window of " + std::to_string(width) + "x" + std::to_string(height) +
                    " device pixels is larger than a canvas can be";
    width = height = 0;
  }
  if (!page.display->Resize(width, height, density, &error)) {
    page.sizeLine = "coderain: " + error;
    return;
  }
  if (page.display->Screens().empty()) return;
  if (page.options.atMs) {
    if (!ShowStill(&error)) page.sizeLine = "coderain: " + error;
    return;
  }
  // A scene that failed gets another try at the new size.
  if (!page.run && !page.ended) page.startDue = true;
}

// Runs `f`; memory that cannot be had past the checks made where it is
// asked for stops the page with one line, not with an exception a frame.
template <typename F>
int Guarded(F f) {
  try {
    f();
  } catch (const std::bad_alloc&) {
    page.run.reset();
    page.display->Stop();
    page.endLine = "coderain: not enough memory";
  }
  return static_cast<int>(State());
}

// The page starts again, as for a new address: the scene that runs ends
// without a word, and the display and what it said go. The clock goes on.
void StartAgain() {
  page.run.reset();
  if (page.display) page.display->Stop();
  page.display.reset();
  page.startDue = page.ended = page.hidden = false;
  page.lastFrame = -1;
  page.sizeLine.clear();
  page.endLine.clear();
}

}  // namespace

extern "C" {

// Reads the page's options from its address after '#' and opens the
// display, again for each new fragment (all of the last one's scene
// goes); the seed's halves serve where the options give none. Returns
// 1 for a still, else 0, plus 2 where the statistics are asked for; -1
// when the page cannot show a scene at all, coderain_error() saying why.
EMSCRIPTEN_KEEPALIVE int coderain_open(const char* fragment, unsigned seedHigh, unsigned seedLow) {
  StartAgain();
  std::vector<std::string> notes;
  page.options = ParsePageOptions(fragment ? fragment : "", &notes);
  for (const std::string& n : notes) emscripten_console_warn(n.c_str());
  page.request.mode = page.options.wallpaper ? LaunchRequest::Mode::PageWallpaper : LaunchRequest::Mode::Page;
  page.request.scale = page.options.scale;
  page.request.rate.fps = page.options.fps;
  page.seed = Seed(seedHigh, seedLow);
  const DisplayRow<WebDisplay> displays[] = {WebDisplayRow()};
  std::string error;
  page.display = OpenDisplay<WebDisplay>(displays, page.request, &error);
  if (!page.display) {
    page.sizeLine = "coderain: " + error;
    return -1;
  }
  page.startDue = !page.options.atMs;
  return (page.options.atMs ? 1 : 0) | (page.options.stats ? 2 : 0);
}

// The window is width x height device pixels at `density` device pixels a
// CSS pixel. Returns what the page shows now.
EMSCRIPTEN_KEEPALIVE int coderain_size(int width, int height, double density) {
  return Guarded([=] { Resize(width, height, density); });
}

// Input as the listeners heard it: a key by the page's number for it, a
// button at device pixels.
EMSCRIPTEN_KEEPALIVE void coderain_key(int down, int key, int repeat) { page.display->Key(down, key, repeat); }
EMSCRIPTEN_KEEPALIVE void coderain_button(int down, int x, int y) { page.display->Button(down, {x, y}); }
EMSCRIPTEN_KEEPALIVE void coderain_blur() { page.display->Blur(); }
// The page is hidden at `now`: its scene rests from then on.
EMSCRIPTEN_KEEPALIVE int coderain_hidden(double now) {
  return Guarded([=] {
    page.clock.Tell(now);
    if (!page.run || page.hidden) return;
    page.hidden = true;
    page.display->SetSeen(false);
    StepRun();
  });
}
// The page is shown again (its next frame says when).
EMSCRIPTEN_KEEPALIVE void coderain_shown() { page.display->Exposed(); }
// A click: after an end, a new scene starts with the next frame, from
// these halves of a seed where the options give none.
EMSCRIPTEN_KEEPALIVE void coderain_click(unsigned seedHigh, unsigned seedLow) {
  if (page.options.atMs || page.run || (!page.ended && page.endLine.empty())) return;
  page.seed = Seed(seedHigh, seedLow);
  page.startDue = true;
}

// A frame of the page at `now` ms (its frame callback's time): the scene
// starts where one is due, then steps with the input since the last
// frame. Returns what the page shows now.
EMSCRIPTEN_KEEPALIVE int coderain_frame(double now) {
  return Guarded([=] {
    // Hidden, or no frame for long: the scene rested from the last frame
    // (or the hiding) to now, and goes on from there.
    const bool rested = page.run && (page.hidden || (page.lastFrame >= 0 && now - page.lastFrame >= kUnseenGapMs));
    if (rested && !page.hidden) {
      page.display->SetSeen(false);
      StepRun();
    }
    page.hidden = false;
    page.lastFrame = now;
    page.clock.Tell(now);
    if (rested && page.run) page.display->SetSeen(true);
    if (!page.run && page.startDue) StartRun();
    if (page.run) StepRun();
  });
}

// The scene time of the picture on the canvas (ms since the scene
// started, less its rests); -1 where none shows.
EMSCRIPTEN_KEEPALIVE double coderain_shown_at() {
  return page.run ? static_cast<double>(page.run->ShownAt(WebDisplay::kScreen)) : -1;
}

// How long after the last frame the scene wants no other (at a frame-rate
// cap, most of the frames the browser offers), in ms.
EMSCRIPTEN_KEEPALIVE double coderain_wait_ms() { return page.waitMs; }

// The presents made so far.
EMSCRIPTEN_KEEPALIVE double coderain_presents() { return static_cast<double>(page.display->Presents()); }

// Why the page shows nothing, in one line; empty when it shows a scene.
EMSCRIPTEN_KEEPALIVE const char* coderain_error() {
  return (page.sizeLine.empty() ? page.endLine : page.sizeLine).c_str();
}

}  // extern "C"
