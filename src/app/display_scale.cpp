#include "app/display_scale.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace coderain {

namespace {

constexpr int kMinSceneWidth = 1024;
constexpr int kMinSceneHeight = 768;
constexpr int kRowsPerScale = 1080;
constexpr double kBaseDpi = 96;
// Densities past this are mistakes, not screens.
constexpr double kMaxDpi = 9600;

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

int DisplayScale(int width, int height, double dpi, int requested) {
  if (width <= 0 || height <= 0) return 1;
  int s = requested;
  if (s <= 0) {
    s = dpi > 0 ? static_cast<int>(std::lround(dpi / kBaseDpi)) : height / kRowsPerScale;
    s = std::min(s, std::min(width / kMinSceneWidth, height / kMinSceneHeight));
  }
  return std::clamp(s, 1, std::min(width, height));
}

double ResourceDpi(std::string_view resources) {
  double dpi = 0;
  while (!resources.empty()) {
    const std::size_t end = resources.find('\n');
    std::string_view line = resources.substr(0, end);
    resources.remove_prefix(end == std::string_view::npos ? resources.size() : end + 1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || Trim(line.substr(0, colon)) != "Xft.dpi") continue;
    const std::string_view value = Trim(line.substr(colon + 1));
    double v = 0;
    const auto [at, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
    // A later line says the last word, as in the database itself.
    dpi = ec == std::errc() && at == value.data() + value.size() && v > 0 && v <= kMaxDpi ? v : 0;
  }
  return dpi;
}

}  // namespace coderain
