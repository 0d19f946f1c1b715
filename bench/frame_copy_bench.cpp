// Presents: what copying a second of the scene's damage into a window's
// image costs, as the scene's own pixels (scale 1) and scaled up by 2 into
// a 3840 x 2160 image, in the frame's own layout and in a web page's
// (R, G, B, A bytes). The time of one iteration over a second is the share
// of a core.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/gfx/frame_copy.h"
#include "support/headless_scene.h"

namespace coderain {
namespace {

void BM_PresentOneSecondOfDamage(benchmark::State& state) {
  const int s = static_cast<int>(state.range(0));
  PixelLayout layout;
  if (state.range(1) != 0) layout = {4, false, 0xFFu, 0xFF00u, 0xFF0000u, 0xFF000000u};
  test::Scene scene(1920, 1080, std::make_unique<SeededRandom>(1));
  Form1& f = *scene;
  f.RunUntil(5000);
  f.Damage().Clear();
  // A second in 17 ms frames, the damage of each as the program presents it.
  std::vector<std::vector<Rect>> frames;
  for (std::int64_t t = 5017; t <= 6000; t += 17) {
    f.RunUntil(t);
    frames.push_back(f.Damage().Rects());
    f.Damage().Clear();
  }
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(1920 * s) * 1080 * s * 4);
  const ImageView image{pixels.data(), 1920 * s, 1080 * s, 1920 * s * 4};
  const FrameCopier copier(layout);
  std::int64_t written = 0;
  for (auto _ : state) {
    for (const std::vector<Rect>& rects : frames)
      for (const Rect& r : rects) written += copier.Copy(f.Framebuffer, r, {s, 1}, image).Area();
    benchmark::DoNotOptimize(pixels.data());
  }
  state.counters["image_pixels_per_second"] = static_cast<double>(written) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PresentOneSecondOfDamage)
    ->ArgsProduct({{1, 2}, {0, 1}})
    ->ArgNames({"scale", "rgba"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace coderain
