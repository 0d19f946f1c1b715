#include "test_support.h"

#include <sstream>

namespace coderain::test {

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

}  // namespace coderain::test
