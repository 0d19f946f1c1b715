// A headless scene with pinned fonts and data, for the tests and the
// benchmarks alike.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <utility>

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

}  // namespace coderain::test
