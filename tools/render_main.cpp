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
#include <bit>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "core/app/form1.h"
#include "core/base/random_source.h"
#include "core/gfx/bitmap.h"
#include "core/gfx/font.h"
#include "core/gfx/frame_copy.h"
#include "core/run/output_fit.h"
#include "image_files.h"
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
  FontFaces files;
  if (o.fontFile.empty()) {
    if (!FindSceneFonts(&files, &error)) return Failure(error);
  } else {
    files = FontFaces{o.fontFile, ""};
  }
  SceneFonts fonts;
  if (!fonts.Load(files, &error)) return Failure(error);

  std::string dataDir = o.dataDir;
  if (dataDir.empty()) {
    std::optional<std::string> dir = ProgramDir(&error);
    if (!dir) return Failure(error);
    dataDir = *dir;
  }

  // No desktop density here: the scale is the one for the size alone.
  const int s = FitOutput({o.width, o.height, 0, o.scale}).scaling.up;
  Bitmap framebuffer(o.width / s, o.height / s);
  SeededRandom random(o.seed);
  Form1 form(&framebuffer, std::move(fonts), &random, dataDir, 0);
  if (!form.Start(&error)) return Failure(error);
  // The screen as the program fills it; the columns and rows past the
  // scaled scene stay black.
  Bitmap screen = s > 1 ? Bitmap(o.width, o.height) : Bitmap();
  PixelLayout native;
  native.bigEndian = std::endian::native == std::endian::big;
  const FrameCopier copier(native);
  const auto shown = [&]() -> const Bitmap& {
    if (s == 1) return framebuffer;
    const ImageView view{reinterpret_cast<std::uint8_t*>(screen.Row(0)), screen.Width(), screen.Height(),
                         screen.Pitch() * 4};
    copier.Copy(framebuffer, framebuffer.Bounds(), {s, 1}, view);
    return screen;
  };

  if (!o.gif) {
    for (std::int64_t t : o.times) {
      form.RunUntil(t);
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
    form.RunUntil(t);
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
