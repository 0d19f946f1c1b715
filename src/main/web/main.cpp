// The page's entry points, called from its script (page.html). For now the
// page holds one frame: the scene run on a virtual clock to a time, as
// coderain-render --at shows it, fitted to the window as every display
// fits it (the device pixel ratio is the density).
#include <emscripten/console.h>
#include <emscripten/emscripten.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/app/form1.h"
#include "core/base/random_source.h"
#include "core/gfx/bitmap.h"
#include "core/gfx/font.h"
#include "core/gfx/frame_copy.h"
#include "core/run/output_fit.h"
#include "main/web/page_options.h"

namespace {

using namespace coderain;

// Shown without a time in the address until the live scene comes.
constexpr std::int64_t kDefaultStillMs = 30'000;

// A canvas's pixels as ImageData holds them: R, G, B, A bytes.
PixelLayout CanvasLayout() {
  PixelLayout rgba;
  rgba.redMask = 0xFFu;
  rgba.greenMask = 0xFF00u;
  rgba.blueMask = 0xFF0000u;
  rgba.alphaMask = 0xFF000000u;
  return rgba;
}

struct Page {
  Bitmap image;  // the canvas's pixels, 4 bytes each in CanvasLayout
  std::string error;
};
Page page;

std::string NoMemory(int width, int height) {
  return "coderain: not enough memory for a " + std::to_string(width) + "x" + std::to_string(height) + " image";
}

bool RenderStill(const PageOptions& o, std::uint64_t seed, int width, int height, double density) {
  const OutputFit fit = FitOutput({width, height, 96 * density, o.scale});
  Bitmap frame;
  if (!Bitmap::Allocate(fit.sceneWidth, fit.sceneHeight, &frame)) {
    page.error = NoMemory(fit.sceneWidth, fit.sceneHeight);
    return false;
  }
  if (!Bitmap::Allocate(width, height, &page.image)) {
    page.error = NoMemory(width, height);
    return false;
  }
  FontFaces faces;
  SceneFonts fonts;
  std::string error;
  if (!FindSceneFonts(&faces, &error) || !fonts.Load(faces, &error)) {
    page.error = "coderain: " + error;
    return false;
  }
  SeededRandom random(o.seed.value_or(seed));
  Form1 form(&frame, std::move(fonts), &random, "", 0);
  if (!form.Start(&error)) {
    page.error = "coderain: " + error;
    return false;
  }
  form.RunUntil(o.atMs.value_or(kDefaultStillMs));
  const ImageView view{reinterpret_cast<std::uint8_t*>(page.image.Row(0)), width, height, width * 4};
  FrameCopier(CanvasLayout()).Copy(frame, frame.Bounds(), fit.scaling, view);
  return true;
}

}  // namespace

extern "C" {

// The canvas's pixels (width x height device pixels, R, G, B, A bytes) for
// the options in `fragment`, the seed's halves used where it gives none.
// Null when there is nothing to show: a window of no size, or a failure
// that coderain_error() names in one line.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* coderain_still(const char* fragment, int width, int height, double density,
                                                        unsigned seedHigh, unsigned seedLow) {
  std::vector<std::string> notes;
  const PageOptions o = ParsePageOptions(fragment ? fragment : "", &notes);
  for (const std::string& n : notes) emscripten_console_warn(n.c_str());
  if (!o.atMs)
    emscripten_console_log(
        ("coderain: no at=MS: the scene held at " + std::to_string(kDefaultStillMs) + " ms").c_str());
  page = Page();
  if (width <= 0 || height <= 0) return nullptr;
  if (!RenderStill(o, std::uint64_t{seedHigh} << 32 | seedLow, width, height, density)) {
    page.image = Bitmap();
    return nullptr;
  }
  return reinterpret_cast<const std::uint8_t*>(page.image.Row(0));
}

EMSCRIPTEN_KEEPALIVE const char* coderain_error() { return page.error.c_str(); }

}  // extern "C"
