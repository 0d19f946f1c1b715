#include "test_support.h"

#include <fstream>
#include <random>
#include <sstream>
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
  dir->Write("codeASM.txt", texts.asmText);
  dir->Write("codeC.txt", texts.cText);
  dir->Write("codeVB.txt", texts.vbText);
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

int CountPixels(const Bitmap& b, Rect r, Color color) {
  r = r.Intersect(b.Bounds());
  int n = 0;
  for (int y = r.y; y < r.Bottom(); ++y)
    for (int x = r.x; x < r.Right(); ++x) n += b.Pixel(x, y) == color;
  return n;
}

int CountInPanel(const Bitmap& b, const Panel& p, int x0, int y0, int x1, int y1, Color color) {
  const Rect area = p.DrawArea();
  return CountPixels(b, Rect::FromCorners(x0, y0, x1, y1).Translated(area.x, area.y), color);
}

std::vector<Color> Snapshot(const Bitmap& b, Rect r) {
  std::vector<Color> out;
  for (int y = r.y; y < r.Bottom(); ++y)
    for (int x = r.x; x < r.Right(); ++x) out.push_back(b.Pixel(x, y));
  return out;
}

std::string FirstDifference(const Bitmap& got, Rect r, const std::function<Color(int x, int y)>& want) {
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x) {
      const Color g = got.Pixel(r.x + x, r.y + y), w = want(x, y);
      if (g == w) continue;
      std::ostringstream s;
      s << "(" << x << ", " << y << "): 0x" << std::hex << g << " instead of 0x" << w;
      return s.str();
    }
  return "";
}

std::string FirstDifference(const Bitmap& got, const Bitmap& want, Rect r) {
  return FirstDifference(got, r, [&](int x, int y) { return want.Pixel(r.x + x, r.y + y); });
}

std::string FirstDifference(const Bitmap& got, const Bitmap& want) {
  if (got.Width() != want.Width() || got.Height() != want.Height())
    return "sizes " + std::to_string(got.Width()) + "x" + std::to_string(got.Height()) + " and " +
           std::to_string(want.Width()) + "x" + std::to_string(want.Height());
  return FirstDifference(got, want, got.Bounds());
}

std::int64_t WatchWait(int phase, bool afterGameOver) {
  if (phase < 1) return 1000;
  if (phase <= 5) return afterGameOver ? 10 : 125;
  if (phase <= 9) return 100;
  if (phase <= 202) return 10;
  if (phase <= 218) return 50;
  return 10;
}

}  // namespace coderain::test
