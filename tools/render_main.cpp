// coderain-render: runs the scene headless on a virtual clock and writes
// the screen at given times as PNG files, or a span of it as an animated
// GIF or a video: the picture the program shows on a screen of --size, the
// scene at that size divided by the scale and scaled up by it.
//
//   coderain-render [--size WxH] [--scale N] [--seed N] [--data DIR]
//                   [--font FILE] [--quiet]
//                   ((--at MS[,MS...] | --gif FROM:TO:STEP) --out PATH [--dump-state]
//                    | --video FILE [--from MS] --to MS [--fps N])
//
// Exit status: 0 when every file is written, 1 when the scene cannot start
// or a file cannot be written, 2 for bad options and for a size the video's
// codec refuses. Interrupted (SIGINT, SIGTERM), it leaves no unfinished
// GIF or video behind and ends by that signal.
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "core/gfx/font.h"
#include "host/scene_run.h"
#include "image_files.h"
#include "picture_display.h"
#include "progress.h"
#include "render_options.h"
#include "state_json.h"
#include "video_file.h"

namespace {

using namespace coderain;

// A GIF of more frames than this tells how far it has come.
constexpr std::int64_t kLongGifFrames = 100;

int Failure(const std::string& what, int status = 1) {
  std::cerr << kRenderProgram << ": " << what << "\n";
  return status;
}

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int signal) { interrupted = signal; }

// From here on, an interrupt waits for the frame being made (a video or
// a GIF, whose unfinished file must go); pictures end at once.
void CatchInterrupts() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM}) sigaction(signal, &action, nullptr);
}

// Ends the program by the signal that interrupted it, as its default
// action would, once what was unfinished is gone.
int EndInterrupted(Progress* progress) {
  progress->Stopped();
  const int signal = interrupted;
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  return 128 + signal;
}

Progress ProgressOf(const RenderOptions& o, std::int64_t frames, const std::string& what) {
  return Progress(o.quiet ? nullptr : stderr, isatty(STDERR_FILENO) != 0, frames, what);
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
  VideoFile video;
  if (!o.video.empty()) {
    CatchInterrupts();
    if (const int status = video.Open(o.video, o.width, o.height, o.fps, &error)) return Failure(error, status);
  }
  if (!run.Start(&error)) return Failure(error);
  const Form1& form = run.Scene(0);
  const auto shown = [&]() -> const Bitmap& {
    display.PresentAll(0);
    return display.Picture();
  };

  if (!o.video.empty()) {
    const std::int64_t frames = o.VideoFrames();
    Progress progress = ProgressOf(o, frames, o.video);
    for (std::int64_t i = 0; i < frames; ++i) {
      if (interrupted) {
        video.Abandon();
        return EndInterrupted(&progress);
      }
      const std::int64_t t = o.VideoFrameMs(i);
      run.RunTo(t);
      if (!video.Add(shown(), &error)) return Failure(error);
      progress.Made(i + 1, t);
    }
    if (!video.Close(&error)) return Failure(error);
    progress.Finished();
    return 0;
  }

  if (!o.gif) {
    for (std::int64_t t : o.times) {
      run.RunTo(t);
      const std::string path = OutputPath(o.out, t);
      if (!WritePng(path, shown(), &error)) return Failure(error);
      if (o.dumpState && !WriteSceneJson(JsonPathFor(path), form, &error)) return Failure(error);
    }
    return 0;
  }

  CatchInterrupts();
  auto gif = std::make_unique<GifWriter>();
  if (!gif->Open(o.out, o.width, o.height, &error)) return Failure(error);
  const std::int64_t frames = (o.gifTo - o.gifFrom) / o.gifStep + 1;
  Progress progress = ProgressOf(o, frames > kLongGifFrames ? frames : 0, o.out);
  std::int64_t frame = 0;
  for (std::int64_t t = o.gifFrom; t <= o.gifTo; t += o.gifStep, ++frame) {
    if (interrupted) {
      gif.reset();
      std::error_code ignored;
      std::filesystem::remove(o.out, ignored);
      return EndInterrupted(&progress);
    }
    run.RunTo(t);
    if (!gif->AddFrame(shown(), FrameDelayCs(frame, o.gifStep), &error)) return Failure(error);
    if (frames > kLongGifFrames) progress.Made(frame + 1, t);
  }
  if (!gif->Close(&error)) return Failure(error);
  if (frames > kLongGifFrames) progress.Finished();
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
