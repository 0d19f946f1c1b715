#include "platform/window_fit.h"

#include <gtest/gtest.h>

namespace coderain {
namespace {

TEST(WindowFit, ReductionFollowsTheLayoutsHeightAndStaysBounded) {
  struct Row {
    int width, height, k;
  };
  const Row rows[] = {
      {565, 317, 3},    // a preview pane on a 1280x720 screen
      {725, 407, 2},    // and on a 1920x1080 one
      {1280, 712, 2},   // one pixel short of the layout
      {1280, 713, 1},   // tall enough
      {1920, 1080, 1},  // a monitor
      {7680, 4320, 1},  // and the largest
      {356, 357, 2},    // 713 / 357 rounds up
      {1, 1, 713},      // a point: a scene of 713 x 713
      {0, -4, 713},     // sizes below 1 count as 1
      {4096, 100, 2},   // a scene of 8192 x 200
      {4097, 100, 1},   // wider would pass 8192
      {7680, 1, 1},     // a line: never wider than 8192
      {20000, 100, 1},  // never below 1
  };
  for (const Row& r : rows) EXPECT_EQ(ReductionFor(r.width, r.height), r.k) << r.width << "x" << r.height;
}

TEST(WindowFit, AMiniatureIsPresentedAtTheRefreshRateOverK) {
  struct Row {
    int refreshHz, k, hz;
  };
  const Row rows[] = {{60, 1, 60},  {0, 1, 0},   {60, 2, 30}, {60, 3, 20},
                      {144, 2, 72}, {75, 2, 38}, {0, 2, 30},  {60, 713, 1}};
  for (const Row& r : rows) EXPECT_EQ(MiniatureHz(r.refreshHz, r.k), r.hz) << r.refreshHz << " Hz, k " << r.k;
}

}  // namespace
}  // namespace coderain
