// The page's options, read from its address after '#':
//
//   coderain.html#seed=N&at=MS&scale=N&fps=N&wallpaper&stats
//
// seed=N     a fixed seed of the random source, 0 to 2^64 - 1
// at=MS      the scene run on a virtual clock to MS ms and that frame held,
//            as coderain-render --at shows it (up to an hour of scene time)
// scale=N    every scene pixel an N x N block of device pixels, 1 to 8
// fps=N      at most N presents a second, 1 to 60; the scene's timers run
//            as ever, so the frame shown at a time is the frame at= shows
// wallpaper  the page is behind the desktop: input is not the scene's
// stats      once a second, the frames and presents so far in the console
//
// Anyone can type an address: a value that is not a whole number in range,
// a name the page does not know or a flag given a value is set aside with
// one line, and the default stands. A name given twice: the last one
// counts (a wallpaper host's settings follow the address's).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run/launch_request.h"

namespace coderain {

// The latest at=MS the page runs to: an hour of scene time, a few seconds
// of work, where a mistyped number could hold the page for hours.
inline constexpr std::int64_t kMaxPageAtMs = 3'600'000;

struct PageOptions {
  std::optional<std::uint64_t> seed;  // none: a random seed
  std::optional<std::int64_t> atMs;   // none: the live scene
  int scale = 0;                      // 0: as the output fit has it
  int fps = FrameRate::kMaxFps;       // presents a second at most
  bool wallpaper = false;
  bool stats = false;
};

// Reads `fragment` (with or without its '#'). Each option set aside adds a
// line "coderain: ..." to *notes.
PageOptions ParsePageOptions(std::string_view fragment, std::vector<std::string>* notes);

}  // namespace coderain
