#include "render_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <limits>
#include <string_view>
#include <utility>

#include "core/base/whole_number.h"

namespace coderain {

namespace {

constexpr const char* kUsage =
    "usage: coderain-render [--size WxH] [--scale N] [--seed N] [--data DIR] [--font FILE] [--quiet] "
    "((--at MS[,MS...] | --gif FROM:TO:STEP) --out PATH [--dump-state] | --video FILE [--from MS] --to MS [--fps N])";

int UsageError(std::ostream& err, const std::string& what) {
  err << kRenderProgram << ": " << what << "\n" << kUsage << "\n";
  return 2;
}

bool ParseSize(std::string_view s, int* w, int* h) {
  const std::size_t x = s.find('x');
  return x != std::string_view::npos && ParseWholeNumber(s.substr(0, x), 1, kMaxSide, w) &&
         ParseWholeNumber(s.substr(x + 1), 1, kMaxSide, h);
}

bool ParseTime(std::string_view s, std::int64_t* ms) { return ParseWholeNumber<std::int64_t>(s, 0, kMaxTimeMs, ms); }

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t i = s.find(sep);
    parts.push_back(s.substr(0, i));
    if (i == std::string_view::npos) return parts;
    s.remove_prefix(i + 1);
  }
}

}  // namespace

const char* VideoCodecFor(std::string_view path) {
  static constexpr std::pair<std::string_view, const char*> kCodecs[] = {
      {".webm", "VP9"}, {".mp4", "H.264"}, {".mkv", "FFV1"}};
  for (const auto& [ending, codec] : kCodecs) {
    if (path.size() <= ending.size()) continue;
    std::string end(path.substr(path.size() - ending.size()));
    for (char& c : end) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (end == ending) return codec;
  }
  return nullptr;
}

int ParseRenderOptions(int argc, const char* const* argv, RenderOptions* o, std::ostream& out, std::ostream& err) {
  CLI::App app{"Runs the coderain scene on a virtual clock and writes its frames to picture files.", kRenderProgram};
  std::string size, scale, seed, at, gif;
  app.add_option("--size", size, "screen size in pixels, WxH (default 1920x1080)")->type_name("WxH");
  app.add_option("--scale", scale,
                 "show every scene pixel as N x N, 1 to " + std::to_string(kMaxScale) +
                     " (default: as the program would on a screen of that size)")
      ->type_name("N");
  app.add_option("--seed", seed, "seed of the random source (default 1)")->type_name("N");
  app.add_option("--data", o->dataDir, "directory of the three source files (default: the renderer's own)")
      ->type_name("DIR");
  app.add_option("--font", o->fontFile, "font file for the text (default: the one the program picks)")
      ->type_name("FILE");
  CLI::Option* atOption =
      app.add_option("--at", at, "times in ms to write a PNG at, comma-separated")->type_name("MS[,MS...]");
  CLI::Option* gifOption = app.add_option("--gif", gif, "write an animated GIF from FROM to TO ms, a frame every STEP")
                               ->type_name("FROM:TO:STEP");
  CLI::Option* videoOption =
      app.add_option("--video", o->video, "write a video: .webm (VP9), .mp4 (H.264) or .mkv (FFV1, lossless)")
          ->type_name("FILE");
  std::string from, to, fps;
  CLI::Option* fromOption = app.add_option("--from", from, "the video's first frame, in ms of the scene (default 0)")
                                ->type_name("MS")
                                ->needs(videoOption);
  CLI::Option* toOption =
      app.add_option("--to", to, "the video's end, in ms of the scene")->type_name("MS")->needs(videoOption);
  app.add_option("--fps", fps, "the video's frames a second, 1 to " + std::to_string(kMaxFps) + " (default 30)")
      ->type_name("N")
      ->needs(videoOption);
  atOption->excludes(gifOption);
  videoOption->excludes(atOption)->excludes(gifOption);
  CLI::Option* outOption =
      app.add_option("--out", o->out, "output file; with several times, %d stands for the time")->type_name("PATH");
  CLI::Option* dumpOption =
      app.add_flag("--dump-state", o->dumpState, "also write the scene state beside each picture, as .json");
  videoOption->excludes(outOption)->excludes(dumpOption);
  app.add_flag("--quiet", o->quiet, "no progress line on a terminal and no summary line elsewhere");
  app.set_version_flag("--version", std::string(kRenderProgram) + " " + CODERAIN_VERSION, "print the version and exit");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << "\n";
    return 0;
  } catch (const CLI::ParseError& e) {
    return UsageError(err, e.what());
  }

  if (!size.empty() && !ParseSize(size, &o->width, &o->height))
    return UsageError(err, "--size must be WxH, each 1 to " + std::to_string(kMaxSide) + ": " + size);
  if (!scale.empty() &&
      (!ParseWholeNumber(scale, 1, kMaxScale, &o->scale) || o->width / o->scale < 1 || o->height / o->scale < 1))
    return UsageError(err, "--scale must be 1 to " + std::to_string(kMaxScale) +
                               " and leave a scene of at least one pixel: " + scale);
  if (!seed.empty() && !ParseWholeNumber(seed, std::uint64_t{0}, std::numeric_limits<std::uint64_t>::max(), &o->seed))
    return UsageError(err, "--seed must be a whole number from 0 to 2^64 - 1: " + seed);
  if (videoOption->count() > 0) {
    if (o->video.empty()) return UsageError(err, "--video must name a file");
    if (!VideoCodecFor(o->video)) return UsageError(err, "--video must end in .webm, .mp4 or .mkv: " + o->video);
    if (toOption->count() == 0) return UsageError(err, "--video needs --to");
    if ((fromOption->count() > 0 && !ParseTime(from, &o->from)) || !ParseTime(to, &o->to) || o->to <= o->from)
      return UsageError(err, "--from and --to take times in ms from 0 to " + std::to_string(kMaxTimeMs) +
                                 ", --from before --to: --from " + from + " --to " + to);
    if (!fps.empty() && !ParseWholeNumber(fps, 1, kMaxFps, &o->fps))
      return UsageError(err, "--fps must be 1 to " + std::to_string(kMaxFps) + ": " + fps);
    if (o->VideoFrames() < 1 || o->VideoFrames() > kMaxVideoFrames)
      return UsageError(err, "--video makes 1 to " + std::to_string(kMaxVideoFrames) + " frames, not " +
                                 std::to_string(o->VideoFrames()) + ": --from " + std::to_string(o->from) + " --to " +
                                 std::to_string(o->to) + " --fps " + std::to_string(o->fps));
    return -1;
  }
  if (outOption->count() == 0 || o->out.empty()) return UsageError(err, "--out must name a file");

  if (atOption->count() > 0) {
    for (std::string_view part : Split(at, ',')) {
      std::int64_t ms = 0;
      if (!ParseTime(part, &ms))
        return UsageError(err, "--at takes times in ms from 0 to " + std::to_string(kMaxTimeMs) + ": " + at);
      o->times.push_back(ms);
    }
    std::sort(o->times.begin(), o->times.end());
    o->times.erase(std::unique(o->times.begin(), o->times.end()), o->times.end());
    if (o->times.size() > 1 && o->out.find("%d") == std::string::npos)
      return UsageError(err, "--out must hold %d when several times are given");
  } else if (gifOption->count() > 0) {
    std::vector<std::string_view> parts = Split(gif, ':');
    if (parts.size() != 3 || !ParseTime(parts[0], &o->gifFrom) || !ParseTime(parts[1], &o->gifTo) ||
        !ParseTime(parts[2], &o->gifStep) || o->gifStep < 1 || o->gifFrom > o->gifTo)
      return UsageError(err, "--gif takes FROM:TO:STEP in ms, FROM <= TO, STEP >= 1: " + gif);
    if ((o->gifTo - o->gifFrom) / o->gifStep + 1 > kMaxGifFrames)
      return UsageError(err, "--gif makes at most " + std::to_string(kMaxGifFrames) + " frames: " + gif);
    o->gif = true;
  } else {
    return UsageError(err, "one of --at, --gif or --video is needed");
  }
  return -1;
}

}  // namespace coderain
