#include "support/headless_scene.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace coderain::test {

FontFaces PinnedFontFiles() {
#ifdef _WIN32
  // GDI names families, not files; the bold is the family's own.
  return {"DejaVu Sans Mono", ""};
#else
  return {"/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
          "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"};
#endif
}

SceneFonts PinnedFonts() {
  SceneFonts fonts;
  std::string error;
  if (!fonts.Load(PinnedFontFiles(), &error)) throw std::runtime_error(error);
  return fonts;
}

TempDir::TempDir() {
  std::random_device rd;
  path_ = std::filesystem::temp_directory_path() / ("coderain-test-" + std::to_string(rd()) + std::to_string(rd()));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
  std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::Write(const std::string& name, const std::string& contents) const {
  std::filesystem::path p = path_ / name;
  std::ofstream out(p, std::ios::binary);
  out << contents;
  return p;
}

Scene::Scene(int width, int height, std::unique_ptr<RandomSource> r, const std::string& dataDir)
    : framebuffer(width, height), random(r ? std::move(r) : std::make_unique<SeededRandom>(1)) {
  form = std::make_unique<Form1>(&framebuffer, PinnedFonts(), random.get(), dataDir, 0);
  started = form->Start(&error);
}

namespace {

std::string Written(TempDir* dir, const Texts& texts) {
  const std::string* text[] = {&texts.asmText, &texts.cText, &texts.vbText};
  for (std::size_t i = 0; i < kSourceFileNames.size(); ++i) dir->Write(kSourceFileNames[i], *text[i]);
  return dir->Path().string();
}

}  // namespace

Scene::Scene(int width, int height, std::unique_ptr<RandomSource> r, const Texts& texts)
    : sources(std::make_unique<TempDir>()),
      framebuffer(width, height),
      random(r ? std::move(r) : std::make_unique<SeededRandom>(1)) {
  form = std::make_unique<Form1>(&framebuffer, PinnedFonts(), random.get(), Written(sources.get(), texts), 0);
  started = form->Start(&error);
}

}  // namespace coderain::test
