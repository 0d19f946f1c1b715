// The renderer's command line: what it asks for and how it is read.
//
//   coderain-render [--size WxH] [--scale N] [--seed N] [--data DIR]
//                   [--font FILE] [--quiet]
//                   ((--at MS[,MS...] | --gif FROM:TO:STEP) --out PATH [--dump-state]
//                    | --video FILE [--from MS] --to MS [--fps N])
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/gfx/frame_copy.h"

namespace coderain {

inline constexpr const char* kRenderProgram = "coderain-render";

// Limits that keep a mistyped option from asking for gigabytes or days.
inline constexpr int kMaxSide = 8192;
inline constexpr std::int64_t kMaxTimeMs = 1'000'000'000;  // about 11.5 days of scene time
inline constexpr std::int64_t kMaxGifFrames = 10'000;
inline constexpr std::int64_t kMaxVideoFrames = 1'000'000;  // over 4.5 hours at 60 frames a second
inline constexpr int kMaxFps = 60;

struct RenderOptions {
  // The screen's size; the scene runs at floor(width / s) x floor(height /
  // s) and is shown scaled up by s.
  int width = 1920;
  int height = 1080;
  int scale = 0;  // 1 to kMaxScale; 0: as the program takes it for the size
  std::uint64_t seed = 1;
  std::string dataDir;
  std::string fontFile;
  std::vector<std::int64_t> times;  // ascending, no repeats
  bool gif = false;
  std::int64_t gifFrom = 0, gifTo = 0, gifStep = 0;
  std::string out;
  bool dumpState = false;
  // A video of the scene from `from` to `to` ms, `fps` frames a second:
  // frame i is the scene at from + i x 1000 / fps (whole ms, rounded down),
  // the last one before `to`.
  std::string video;
  std::int64_t from = 0, to = 0;
  int fps = 30;
  bool quiet = false;  // no progress and no summary line

  std::int64_t VideoFrames() const { return (to - from) * fps / 1000; }
  std::int64_t VideoFrameMs(std::int64_t i) const { return from + i * 1000 / fps; }
};

// The codec a video file's name asks for by its ending, whatever the case
// of its letters: "VP9" (.webm), "H.264" (.mp4), "FFV1" (.mkv, lossless);
// null for any other name.
const char* VideoCodecFor(std::string_view path);

// Parses the command line (argv[0] is the program) into *o. Returns -1 when
// the render should go on, or the exit status: 0 after printing the help or
// the version to `out`, 2 after printing what is wrong and the usage to
// `err`. It reads nothing but its arguments and touches no file.
int ParseRenderOptions(int argc, const char* const* argv, RenderOptions* o, std::ostream& out, std::ostream& err);

}  // namespace coderain
