#include "platform/window_fit.h"

#include <algorithm>

namespace coderain {

int ReductionFor(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  const int k = (kLayoutHeight + height - 1) / height;
  return std::max(1, std::min(k, kMaxReducedWidth / width));
}

}  // namespace coderain
