// Helpers for scene tests: a headless Form1 with pinned fonts and data.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/app/form1.h"
#include "core/base/random_source.h"
#include "core/gfx/bitmap.h"

namespace coderain::test {

// The font files every test uses, so that text pixels do not depend on the
// machine (DejaVu Sans Mono, from fonts-dejavu-core).
FontFaces PinnedFontFiles();
SceneFonts PinnedFonts();

// A temporary directory, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& Path() const { return path_; }
  // Writes `contents` to the file `name` in the directory; returns its path.
  std::filesystem::path Write(const std::string& name, const std::string& contents) const;

 private:
  std::filesystem::path path_;
};

// The three source texts a scene reads: one for all three, or each its own.
struct Texts {
  explicit Texts(const std::string& all = "line\r\n") : asmText(all), cText(all), vbText(all) {}
  Texts(std::string a, std::string c, std::string v)
      : asmText(std::move(a)), cText(std::move(c)), vbText(std::move(v)) {}
  std::string asmText, cText, vbText;
};

// A headless scene: a framebuffer of the given size and a Form1 over it,
// started at time 0 with the project's data files, the files of `dataDir`,
// or `texts` written into a folder of the scene's own. Owns everything it
// needs.
struct Scene {
  Scene(int width = 1920, int height = 1080, std::unique_ptr<RandomSource> random = nullptr,
        const std::string& dataDir = CODERAIN_TEST_DATA);
  Scene(int width, int height, std::unique_ptr<RandomSource> random, const Texts& texts);
  // The random source, where the test scripted it.
  ScriptedRandom& Scripted() { return static_cast<ScriptedRandom&>(*random); }

  std::unique_ptr<TempDir> sources;  // the folder of its own texts, where it has one
  Bitmap framebuffer;
  std::unique_ptr<RandomSource> random;
  std::unique_ptr<Form1> form;
  bool started = false;
  std::string error;

  Form1& operator*() { return *form; }
  Form1* operator->() { return form.get(); }
};

// Counts the pixels of `color` in r (screen pixels) of the framebuffer.
int CountPixels(const Bitmap& b, Rect r, Color color);
// Counts them between the panel's own corners (x0, y0) and (x1, y1) of its
// drawing area, both included.
int CountInPanel(const Bitmap& b, const Panel& p, int x0, int y0, int x1, int y1, Color color);
// The pixels of r, row by row.
std::vector<Color> Snapshot(const Bitmap& b, Rect r);

// The first pixel of r, row by row, where `got` is not want(x, y), x and y
// counted from r's top left corner, as "(x, y): 0xGOT instead of 0xWANT" in
// those coordinates; "" when there is none.
std::string FirstDifference(const Bitmap& got, Rect r, const std::function<Color(int x, int y)>& want);
// The same against the pixels of `want` in r (both pictures' size when no r
// is given, which must then be equal).
std::string FirstDifference(const Bitmap& got, const Bitmap& want, Rect r);
std::string FirstDifference(const Bitmap& got, const Bitmap& want);

// picWatch's rhythm: the wait in ms before the tick that runs `phase`, on
// the first build-up or on one after a game over, as the worked example
// gives it (not read from the phases that set the intervals).
std::int64_t WatchWait(int phase, bool afterGameOver);

}  // namespace coderain::test
