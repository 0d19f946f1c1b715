#include "core/run/output_fit.h"

#include <algorithm>
#include <cmath>

namespace coderain {

namespace {

constexpr int kRowsPerScale = 1080;

int ScaleFor(const OutputFacts& o) {
  if (o.width <= 0 || o.height <= 0) return 1;
  int s = o.requestedScale;
  if (s <= 0) {
    s = o.dpi > 0 ? static_cast<int>(std::lround(o.dpi / kBaseDpi)) : o.height / kRowsPerScale;
    // A screen that says it is smaller than 1024 x 768 at its density keeps
    // only the layout's room; never past the largest scale the option takes.
    const bool small = o.dpi > 0 && s > 0 && (o.width / s < kMinSceneWidth || o.height / s < kMinSceneHeight);
    s = std::min({s, o.width / (small ? kLayoutWidth : kMinSceneWidth),
                  o.height / (small ? kLayoutHeight : kMinSceneHeight), kMaxScale});
  }
  return std::clamp(s, 1, std::min(o.width, o.height));
}

int ReductionFor(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  const int k = std::max((kLayoutHeight + height - 1) / height, (kLayoutWidth + width - 1) / width);
  return std::max(1, std::min(k, kMaxReducedWidth / width));
}

}  // namespace

OutputFit FitOutput(const OutputFacts& o) {
  OutputFit fit;
  const int refresh = o.refreshHz > 0 ? o.refreshHz : kDefaultRefreshHz;
  fit.hz = refresh;
  const int k = o.fit == FitRule::MiniatureWhenSmall ? ReductionFor(o.width, o.height) : 1;
  if (k > 1) {
    fit.scaling = {1, k};
    fit.hz = (refresh + k - 1) / k;
  } else {
    fit.scaling = {ScaleFor(o), 1};
  }
  const int w = std::max(o.width, 0), h = std::max(o.height, 0);
  fit.sceneWidth = w / fit.scaling.up * fit.scaling.down;
  fit.sceneHeight = h / fit.scaling.up * fit.scaling.down;
  return fit;
}

}  // namespace coderain
