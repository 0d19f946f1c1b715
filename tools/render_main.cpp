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
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "app/form1.h"
#include "image_files.h"
#include "platform/bitmap.h"
#include "platform/font.h"
#include "platform/random_source.h"
#include "render_options.h"
#include "state_json.h"

namespace {

using namespace coderain;

int Failure(const std::string& what) {
  std::cerr << kRenderProgram << ": " << what << "\n";
  return 1;
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

int Render(const RenderOptions& o) {
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
  if (!form.Start(&error)) return Failure(error);

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
  RenderOptions options;
  const int parsed = ParseRenderOptions(argc, argv, &options, std::cout, std::cerr);
  if (parsed >= 0) return parsed;
  return Render(options);
}
