#include "render_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <limits>
#include <string_view>

#include "core/base/whole_number.h"

namespace coderain {

namespace {

constexpr const char* kUsage =
    "usage: coderain-render [--size WxH] [--scale N] [--seed N] [--data DIR] [--font FILE] "
    "(--at MS[,MS...] | --gif FROM:TO:STEP) --out PATH [--dump-state]";

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
  atOption->excludes(gifOption);
  app.add_option("--out", o->out, "output file; with several times, %d stands for the time")
      ->type_name("PATH")
      ->required();
  app.add_flag("--dump-state", o->dumpState, "also write the scene state beside each picture, as .json");
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
  if (o->out.empty()) return UsageError(err, "--out must name a file");

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
    return UsageError(err, "one of --at or --gif is needed");
  }
  return -1;
}

}  // namespace coderain
