// The scene as the page's host gives it (fonts and files baked in), run on
// a virtual clock, its frame written as a PPM at each time asked for: the
// web build's side of the comparison with coderain-render.
//
//   node scene_frames.js WIDTH HEIGHT SEED MS[,MS...] OUT
//
// OUT's "%d" is the time. Exit status 0 when every frame is written.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/app/form1.h"
#include "core/base/random_source.h"
#include "core/gfx/bitmap.h"
#include "core/gfx/font.h"

using namespace coderain;

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fputs("usage: scene_frames WIDTH HEIGHT SEED MS[,MS...] OUT\n", stderr);
    return 2;
  }
  Bitmap frame(std::atoi(argv[1]), std::atoi(argv[2]));
  FontFaces faces;
  SceneFonts fonts;
  std::string error;
  if (!FindSceneFonts(&faces, &error) || !fonts.Load(faces, &error)) {
    std::fprintf(stderr, "scene_frames: %s\n", error.c_str());
    return 1;
  }
  SeededRandom random(std::strtoull(argv[3], nullptr, 10));
  Form1 form(&frame, std::move(fonts), &random, "", 0);
  if (!form.Start(&error)) {
    std::fprintf(stderr, "scene_frames: %s\n", error.c_str());
    return 1;
  }
  for (const char* t = argv[4]; *t; t += *t == ',') {
    char* end = nullptr;
    const std::int64_t ms = std::strtoll(t, &end, 10);
    if (end == t) return 2;
    t = end;
    form.RunUntil(ms);
    std::string path = argv[5];
    if (const std::size_t at = path.find("%d"); at != std::string::npos) path.replace(at, 2, std::to_string(ms));
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return 1;
    std::fprintf(out, "P6\n%d %d\n255\n", frame.Width(), frame.Height());
    for (int y = 0; y < frame.Height(); ++y)
      for (int x = 0; x < frame.Width(); ++x) {
        const Color c = frame.Pixel(x, y);
        const unsigned char rgb[3] = {static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 8),
                                      static_cast<unsigned char>(c)};
        std::fwrite(rgb, 1, 3, out);
      }
    if (std::fclose(out) != 0) return 1;
  }
  return 0;
}
