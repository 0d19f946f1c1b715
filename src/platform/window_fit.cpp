#include "platform/window_fit.h"

#include <algorithm>

namespace coderain {

int ReductionFor(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  const int k = (kLayoutHeight + height - 1) / height;
  return std::max(1, std::min(k, kMaxReducedWidth / width));
}

int MiniatureHz(int refreshHz, int k) {
  if (k <= 1) return refreshHz;
  const int hz = refreshHz > 0 ? refreshHz : 60;
  return (hz + k - 1) / k;
}

}  // namespace coderain
