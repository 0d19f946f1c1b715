#include "core/run/output_fit.h"

#include <gtest/gtest.h>

namespace coderain {
namespace {

TEST(OutputFit, EveryScreenAndWindowPeopleOwn) {
  struct Row {
    int width, height;
    double dpi;
    int requested;
    bool miniature;  // the mode fits a miniature where the window is too small
    int refreshHz;
    int sceneW, sceneH, up, down, hz;
    const char* what;
  };
  const Row rows[] = {
      {1920, 1080, 0, 0, false, 60, 1920, 1080, 1, 1, 60, "full HD"},
      {2560, 1440, 0, 0, false, 0, 2560, 1440, 1, 1, 60, "QHD, refresh unknown: 60"},
      {3840, 2160, 0, 0, false, 60, 1920, 1080, 2, 1, 60, "4K"},
      {3840, 2160, 192, 0, false, 60, 1920, 1080, 2, 1, 60, "4K, desktop at 2x"},
      {3840, 2160, 96, 0, false, 60, 3840, 2160, 1, 1, 60, "4K, desktop at 1x: the desktop's word wins"},
      {5120, 2880, 0, 0, false, 60, 2560, 1440, 2, 1, 60, "5K"},
      {7680, 4320, 0, 0, false, 60, 1920, 1080, 4, 1, 60, "8K"},
      {2560, 1600, 192, 0, false, 60, 1280, 800, 2, 1, 60, "laptop, desktop at 2x"},
      {2560, 1600, 0, 0, false, 60, 2560, 1600, 1, 1, 60, "laptop, no density set"},
      {2880, 1800, 144, 0, false, 60, 1440, 900, 2, 1, 60, "desktop at 1.5x rounds up"},
      {1920, 1080, 192, 0, false, 60, 1920, 1080, 1, 1, 60, "XWayland in logical pixels: 1024x768 at the least"},
      {3840, 2160, 960, 0, false, 60, 1280, 720, 3, 1, 60, "a density past reason: held to the layout"},
      {1170, 2532, 288, 0, true, 60, 585, 1266, 2, 1, 60, "a phone at 3x: as large as the layout allows"},
      {800, 600, 192, 0, false, 60, 800, 600, 1, 1, 60, "smaller than 1024x768, desktop at 2x"},
      {16384, 16384, 0, 0, false, 60, 2048, 2048, 8, 1, 60, "16K: the largest scale, not one for every 1080 rows"},
      {16384, 16384, 2400, 0, false, 60, 2048, 2048, 8, 1, 60, "16K at a density of 25x: the largest scale"},
      {1023, 4000, 0, 0, false, 60, 1023, 4000, 1, 1, 60, "narrow and tall"},
      {800, 600, 0, 3, false, 60, 266, 200, 3, 1, 60, "--scale wins"},
      {7680, 4320, 0, 1, false, 60, 7680, 4320, 1, 1, 60, "--scale 1 on 8K"},
      {3, 2, 0, 8, false, 60, 1, 1, 2, 1, 60, "--scale leaves one pixel at the least"},
      {0, 0, 192, 0, false, 60, 0, 0, 1, 1, 60, "no size yet"},
      {-5, 100, 0, 4, false, 60, 0, 100, 1, 1, 60, "nonsense size"},
      {800, 600, 0, 0, false, 60, 800, 600, 1, 1, 60, "a still keeps its size, however small"},
      // Every mode but a still: a window too small is a miniature at 1/k of the rate.
      {725, 407, 0, 0, true, 60, 1450, 814, 1, 2, 30, "a preview pane on a 1920x1080 screen"},
      {565, 317, 0, 0, true, 60, 1695, 951, 1, 3, 20, "a preview pane on a 1280x720 screen"},
      {1280, 712, 0, 0, true, 144, 2560, 1424, 1, 2, 72, "one pixel short of the layout"},
      {356, 357, 0, 0, true, 75, 712, 714, 1, 2, 38, "713 / 357 rounds up"},
      {1, 1, 0, 0, true, 60, 713, 713, 1, 713, 1, "a point"},
      {4096, 100, 0, 0, true, 0, 8192, 200, 1, 2, 30, "a scene of 8192 wide at the most"},
      {4097, 100, 0, 0, true, 60, 4097, 100, 1, 1, 60, "wider would pass 8192: its own size"},
      {1280, 713, 0, 0, true, 60, 1280, 713, 1, 1, 60, "tall enough: full size"},
      {3840, 2160, 0, 0, true, 60, 1920, 1080, 2, 1, 60, "a daemon's window on a dense screen is scaled"},
      {152, 112, 0, 0, true, 60, 152 * 7, 112 * 7, 1, 7, 9, "the settings dialog's little monitor"},
      {800, 600, 0, 0, true, 60, 1600, 1200, 1, 2, 30, "a small window of its own"},
      {400, 700, 0, 0, true, 60, 800, 1400, 1, 2, 30, "a narrow page: never panels over panels"},
      {419, 2000, 0, 0, true, 60, 838, 4000, 1, 2, 30, "one pixel narrower than the layout"},
      {420, 713, 0, 0, true, 60, 420, 713, 1, 1, 60, "just wide and tall enough"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const OutputFit fit = FitOutput({r.width, r.height, r.dpi, r.requested,
                                     r.miniature ? FitRule::MiniatureWhenSmall : FitRule::Full, r.refreshHz});
    EXPECT_EQ(fit.sceneWidth, r.sceneW);
    EXPECT_EQ(fit.sceneHeight, r.sceneH);
    EXPECT_EQ(fit.scaling.up, r.up);
    EXPECT_EQ(fit.scaling.down, r.down);
    EXPECT_EQ(fit.hz, r.hz);
  }
  EXPECT_EQ(FitOutput({1920, 1080}).FrameMs(), 17);
  EXPECT_EQ(FitOutput({3840, 2160}).ToScene({3839, 1001}).x, 1919);
  EXPECT_EQ(FitOutput({725, 407, 0, 0, FitRule::MiniatureWhenSmall}).ToScene({10, 3}).y, 6);
}

}  // namespace
}  // namespace coderain
