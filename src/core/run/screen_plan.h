// Which monitor shows what: the one home of the rules every display
// follows as monitors come, go, move and change size. A display reports
// its monitors and the scenes it shows; the plan says which scene stays,
// which moves, which monitors get a new scene or a black cover and which
// scenes go. The display applies it and decides nothing itself.
//
// - A lent window shows one scene whatever the monitors do: its owner
//   places it.
// - Monitors that mirror another (the same place) count once.
// - One scene (own windows): it stands on the primary monitor, the first
//   reported, or on the one the request names (--output) while it is
//   there, and every other monitor is covered black.
// - A scene on every monitor (--every-monitor): a monitor that stands
//   where it stood keeps its scene; the others take the scenes left over,
//   moved in the order of their screens, then new ones; scenes left over
//   after that go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/gfx/geometry.h"
#include "core/run/display_event.h"
#include "core/run/launch_request.h"
#include "core/run/output_fit.h"

namespace coderain {

// A scene the display shows now, on the monitor its window stands on.
struct PlacedScene {
  int screen = 0;
  Rect monitor;
};

struct ScreenPlan {
  struct Move {
    int screen = 0;
    Rect to;
    bool operator==(const Move&) const = default;
  };
  std::vector<int> stay;      // scenes that stay where they stand
  std::vector<Move> moves;    // scenes whose windows move to another monitor
  std::vector<Rect> added;    // monitors that get a new scene, in order
  std::vector<int> removed;   // scenes that go, with their windows
  std::vector<Rect> covered;  // monitors covered black
};

// The plan for `monitors` (the primary first), named by `names` (one each,
// or none where the display has no names), and the scenes shown now (none
// at start-up), as `request` asks.
ScreenPlan PlanScreens(std::span<const Rect> monitors, std::span<const PlacedScene> scenes,
                       const LaunchRequest& request, std::span<const std::string> names = {});

// The line that refuses the output `request` names where the display's
// outputs, `names` (empty ones unnamed), lack it; empty where it is there
// or none is named.
std::string MissingOutput(std::span<const std::string> names, const LaunchRequest& request);

// What the scene makes of a window `width` x `height` pixels at `dpi` (0
// where the desktop says none) on a display refreshed `refreshHz` times a
// second (0 where unknown), for `request`.
OutputFacts WindowFacts(const LaunchRequest& request, int width, int height, double dpi, int refreshHz);

// Whether a window whose scene was fitted to `was` needs a new scene for
// `now`: one of the same size, density and scale keeps its scene (a new
// rate alone changes nothing laid out).
bool NeedsRefit(const OutputFacts& was, const OutputFacts& now);

// Puts the new scenes and new sizes of a batch of events (those from
// `first` on) before the batch's other events, in their order, so that
// what the batch exposed or clicked finds them.
void FitsFirst(std::vector<DisplayEvent>* events, std::size_t first);

// A button on a window without a scene (a black cover, a monitor the scene
// is not on): a click on the bare screen of the first of `screens`, at a
// point outside it.
DisplayEvent BareScreenButton(bool down, std::span<const int> screens);

// Displays whose monitors are outputs known by an id and a name (a
// Wayland compositor's) rather than places: every output is its own,
// mirrored or not, and a scene is known by the output it was put on.
//
// - One scene: on the output --output names, else where it stands, else on
//   the first ready output; every other ready output is covered black.
// - A scene on every output (--every-monitor): each ready output without a
//   scene gets one; a scene goes with its output.
struct OutputById {
  std::uint32_t id = 0;  // never 0
  std::string_view name;
  bool ready = false;  // described in full: a scene or a cover may go there
};

struct OutputPlan {
  struct Move {
    std::size_t scene = 0;  // its place in the scenes given
    std::uint32_t to = 0;
    bool operator==(const Move&) const = default;
  };
  std::vector<Move> moves;             // scenes asked onto another output
  std::vector<std::uint32_t> added;    // outputs that get a new scene, in order (0: any)
  std::vector<std::size_t> removed;    // scenes that go (their places, in order)
  std::vector<std::uint32_t> covered;  // the outputs covered black, all of them
};

// The plan for `outputs` (as the display lists them) and the outputs the
// scenes shown now were put on (0 or an output no longer listed: none), as
// `request` asks. At start-up (no scenes) one scene is added even where no
// output is ready: on output 0, for the display to place.
OutputPlan PlanOutputs(std::span<const OutputById> outputs, std::span<const std::uint32_t> scenes,
                       const LaunchRequest& request);

}  // namespace coderain
