// coderain-render: runs the scene headless on a virtual clock and writes
// the framebuffer at given times as PNG files, or a span of it as an
// animated GIF.
//
//   coderain-render [--size WxH] [--seed N] [--data DIR] [--font FILE]
//                   (--at MS[,MS...] | --gif FROM:TO:STEP) --out PATH
//                   [--dump-state]
//
// Exit status: 0 when every file is written, 1 when the scene cannot start
// or a file cannot be written, 2 for bad options.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "image_files.h"
#include "platform/bitmap.h"
#include "platform/font.h"
#include "platform/random_source.h"
#include "state_json.h"

namespace {

using namespace coderain;

constexpr const char* kProgram = "coderain-render";
constexpr const char* kUsage =
    "usage: coderain-render [--size WxH] [--seed N] [--data DIR] [--font FILE] "
    "(--at MS[,MS...] | --gif FROM:TO:STEP) --out PATH [--dump-state]";

// Limits that keep a mistyped option from asking for gigabytes or days.
constexpr int kMaxSide = 8192;
constexpr std::int64_t kMaxTimeMs = 1'000'000'000;  // about 11.5 days of scene time
constexpr std::int64_t kMaxGifFrames = 10'000;

struct Options {
  int width = 1920;
  int height = 1080;
  std::uint64_t seed = 1;
  std::string dataDir;
  std::string fontFile;
  std::vector<std::int64_t> times;  // ascending, no repeats
  bool gif = false;
  std::int64_t gifFrom = 0, gifTo = 0, gifStep = 0;
  std::string out;
  bool dumpState = false;
};

int UsageError(const std::string& what) {
  std::cerr << kProgram << ": " << what << "\n" << kUsage << "\n";
  return 2;
}

int Failure(const std::string& what) {
  std::cerr << kProgram << ": " << what << "\n";
  return 1;
}

// A whole decimal number filling all of `s`.
template <typename T>
bool ParseNumber(std::string_view s, T* value) {
  if (s.empty()) return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *value);
  return ec == std::errc() && end == s.data() + s.size();
}

bool ParseSize(std::string_view s, int* w, int* h) {
  const std::size_t x = s.find('x');
  return x != std::string_view::npos && ParseNumber(s.substr(0, x), w) && ParseNumber(s.substr(x + 1), h) && *w >= 1 &&
         *h >= 1 && *w <= kMaxSide && *h <= kMaxSide;
}

bool ParseTime(std::string_view s, std::int64_t* ms) { return ParseNumber(s, ms) && *ms >= 0 && *ms <= kMaxTimeMs; }

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t i = s.find(sep);
    parts.push_back(s.substr(0, i));
    if (i == std::string_view::npos) return parts;
    s.remove_prefix(i + 1);
  }
}

// PATH with every "%d" replaced by the time. The pattern is never handed to
// a printf-style formatter, so other '%' signs are kept as they are.
std::string OutputPath(const std::string& pattern, std::int64_t ms) {
  std::string path;
  const std::string time = std::to_string(ms);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern.compare(i, 2, "%d") == 0) {
      path += time;
      ++i;
    } else {
      path += pattern[i];
    }
  }
  return path;
}

std::string JsonPathFor(const std::string& picture) {
  return std::filesystem::path(picture).replace_extension(".json").string();
}

// The directory of the renderer binary itself, symbolic links resolved.
std::optional<std::string> ProgramDir(std::string* error) {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe", ec);
  if (ec) {
    *error = "cannot find the program's directory: " + ec.message();
    return std::nullopt;
  }
  return exe.parent_path().string();
}

// Parses the command line into *o. Returns -1 to go on, or the exit status.
int ParseOptions(int argc, char** argv, Options* o) {
  CLI::App app{"Runs the coderain scene on a virtual clock and writes its frames to picture files.", kProgram};
  std::string size, seed, at, gif;
  app.add_option("--size", size, "screen size in pixels, WxH (default 1920x1080)")->type_name("WxH");
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

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return 0;
  } catch (const CLI::ParseError& e) {
    return UsageError(e.what());
  }

  if (!size.empty() && !ParseSize(size, &o->width, &o->height))
    return UsageError("--size must be WxH, each 1 to " + std::to_string(kMaxSide) + ": " + size);
  if (!seed.empty() && !ParseNumber(std::string_view(seed), &o->seed))
    return UsageError("--seed must be a whole number from 0 to 2^64 - 1: " + seed);
  if (o->out.empty()) return UsageError("--out must name a file");

  if (atOption->count() > 0) {
    for (std::string_view part : Split(at, ',')) {
      std::int64_t ms = 0;
      if (!ParseTime(part, &ms))
        return UsageError("--at takes times in ms from 0 to " + std::to_string(kMaxTimeMs) + ": " + at);
      o->times.push_back(ms);
    }
    std::sort(o->times.begin(), o->times.end());
    o->times.erase(std::unique(o->times.begin(), o->times.end()), o->times.end());
    if (o->times.size() > 1 && o->out.find("%d") == std::string::npos)
      return UsageError("--out must hold %d when several times are given");
  } else if (gifOption->count() > 0) {
    std::vector<std::string_view> parts = Split(gif, ':');
    if (parts.size() != 3 || !ParseTime(parts[0], &o->gifFrom) || !ParseTime(parts[1], &o->gifTo) ||
        !ParseTime(parts[2], &o->gifStep) || o->gifStep < 1 || o->gifFrom > o->gifTo)
      return UsageError("--gif takes FROM:TO:STEP in ms, FROM <= TO, STEP >= 1: " + gif);
    if ((o->gifTo - o->gifFrom) / o->gifStep + 1 > kMaxGifFrames)
      return UsageError("--gif makes at most " + std::to_string(kMaxGifFrames) + " frames: " + gif);
    o->gif = true;
  } else {
    return UsageError("one of --at or --gif is needed");
  }
  return -1;
}

int Render(const Options& o) {
  std::string error;
  FontFiles files;
  if (o.fontFile.empty()) {
    if (!FindSceneFonts(&files, &error)) return Failure(error);
  } else {
    files = FontFiles{o.fontFile, ""};
  }
  SceneFonts fonts;
  if (!fonts.Load(files, &error)) return Failure(error);

  std::string dataDir = o.dataDir;
  if (dataDir.empty()) {
    std::optional<std::string> dir = ProgramDir(&error);
    if (!dir) return Failure(error);
    dataDir = *dir;
  }

  Bitmap framebuffer(o.width, o.height);
  SeededRandom random(o.seed);
  Form1 form(&framebuffer, std::move(fonts), &random, dataDir, 0);
  StartupError startup;
  if (!form.Start(&startup)) return Failure(startup.message);

  if (!o.gif) {
    for (std::int64_t t : o.times) {
      form.RunUntil(t);
      const std::string path = OutputPath(o.out, t);
      if (!WritePng(path, framebuffer, &error)) return Failure(error);
      if (o.dumpState && !WriteSceneJson(JsonPathFor(path), form, &error)) return Failure(error);
    }
    return 0;
  }

  GifWriter gif;
  if (!gif.Open(o.out, o.width, o.height, &error)) return Failure(error);
  std::int64_t frame = 0;
  for (std::int64_t t = o.gifFrom; t <= o.gifTo; t += o.gifStep, ++frame) {
    form.RunUntil(t);
    if (!gif.AddFrame(framebuffer, FrameDelayCs(frame, o.gifStep), &error)) return Failure(error);
  }
  if (!gif.Close(&error)) return Failure(error);
  // The state of the last frame.
  if (o.dumpState && !WriteSceneJson(JsonPathFor(o.out), form, &error)) return Failure(error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const int parsed = ParseOptions(argc, argv, &options);
  if (parsed >= 0) return parsed;
  return Render(options);
}
