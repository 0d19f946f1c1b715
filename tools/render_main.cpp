// coderain-render: runs the scene headless on a virtual clock and writes
// the screen at given times as PNG files, or a span of it as an animated
// GIF: the picture the program shows on a screen of --size, the scene at
// that size divided by the scale and scaled up by it.
//
//   coderain-render [--size WxH] [--scale N] [--seed N] [--data DIR]
//                   [--font FILE] (--at MS[,MS...] | --gif FROM:TO:STEP)
//                   --out PATH [--dump-state]
//
// Exit status: 0 when every file is written, 1 when the scene cannot start
// or a file cannot be written, 2 for bad options.
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "core/gfx/font.h"
#include "host/scene_run.h"
#include "image_files.h"
#include "picture_display.h"
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

int Render(const RenderOptions& o) {
  std::string error;
  // The screen as the program fills it: the scene at the size over the
  // scale, scaled up, the columns and rows past it black. No desktop
  // density here: the scale is the one for the size alone.
  PictureDisplay display;
  if (!display.Open(o.width, o.height, o.scale, &error)) return Failure(error);
  VirtualRun run(&display, o.dataDir, o.seed,
                 o.fontFile.empty() ? std::nullopt : std::optional<FontFaces>(FontFaces{o.fontFile, ""}));
  if (!run.Start(&error)) return Failure(error);
  const Form1& form = run.Scene(0);
  const auto shown = [&]() -> const Bitmap& {
    display.PresentAll(0);
    return display.Picture();
  };

  if (!o.gif) {
    for (std::int64_t t : o.times) {
      run.RunTo(t);
      const std::string path = OutputPath(o.out, t);
      if (!WritePng(path, shown(), &error)) return Failure(error);
      if (o.dumpState && !WriteSceneJson(JsonPathFor(path), form, &error)) return Failure(error);
    }
    return 0;
  }

  GifWriter gif;
  if (!gif.Open(o.out, o.width, o.height, &error)) return Failure(error);
  std::int64_t frame = 0;
  for (std::int64_t t = o.gifFrom; t <= o.gifTo; t += o.gifStep, ++frame) {
    run.RunTo(t);
    if (!gif.AddFrame(shown(), FrameDelayCs(frame, o.gifStep), &error)) return Failure(error);
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
