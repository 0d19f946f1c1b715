#include "app/display_scale.h"

#include <gtest/gtest.h>

#include <string>

namespace coderain {
namespace {

TEST(DisplayScale, EveryScreenPeopleOwn) {
  struct Row {
    int width, height;
    double dpi;
    int requested;
    int scale;
    const char* what;
  };
  const Row rows[] = {
      {1920, 1080, 0, 0, 1, "full HD"},
      {2560, 1440, 0, 0, 1, "QHD"},
      {3840, 2160, 0, 0, 2, "4K"},
      {3840, 2160, 192, 0, 2, "4K, desktop at 2x"},
      {3840, 2160, 96, 0, 1, "4K, desktop at 1x: the desktop's word wins"},
      {5120, 2880, 0, 0, 2, "5K"},
      {7680, 4320, 0, 0, 4, "8K"},
      {2560, 1600, 192, 0, 2, "laptop, desktop at 2x"},
      {2560, 1600, 0, 0, 1, "laptop, no density set"},
      {2880, 1800, 144, 0, 2, "desktop at 1.5x rounds up"},
      {1920, 1080, 192, 0, 1, "XWayland in logical pixels: 1024x768 at the least"},
      {3840, 2160, 960, 0, 2, "a density past reason: held to 1024x768"},
      {800, 600, 0, 0, 1, "smaller than 1024x768"},
      {800, 600, 192, 0, 1, "smaller than 1024x768, desktop at 2x"},
      {1023, 4000, 0, 0, 1, "narrow and tall"},
      {800, 600, 0, 3, 3, "--scale wins"},
      {7680, 4320, 0, 1, 1, "--scale 1 on 8K"},
      {3, 2, 0, 8, 2, "--scale leaves one pixel at the least"},
      {0, 0, 192, 0, 1, "no size yet"},
      {-5, 100, 0, 4, 1, "nonsense size"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(DisplayScale(r.width, r.height, r.dpi, r.requested), r.scale);
  }
}

TEST(DisplayScale, TheDesktopsDensityFromTheResourceDatabase) {
  struct Row {
    std::string resources;
    double dpi;
  };
  const Row rows[] = {
      {"Xft.dpi:\t192\n", 192},
      {"*customization:\t-color\nXft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n", 144},
      {"  Xft.dpi :  120.5  ", 120.5},
      {"Xft.dpi:\t96\nXft.dpi:\t192\n", 192},
      {"Xft.dpi:\t192\r\n", 192},
      {"", 0},
      {"*dpi:\t192\n", 0},
      {"Xft.dpix:\t192\n", 0},
      {"Xft.dpi\t192\n", 0},
      {"Xft.dpi:\n", 0},
      {"Xft.dpi:\tlarge\n", 0},
      {"Xft.dpi:\t192dpi\n", 0},
      {"Xft.dpi:\t-192\n", 0},
      {"Xft.dpi:\t0\n", 0},
      {"Xft.dpi:\tnan\n", 0},
      {"Xft.dpi:\tinf\n", 0},
      {"Xft.dpi:\t1e300\n", 0},
      {"Xft.dpi:\t192\nXft.dpi:\tjunk\n", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.resources);
    EXPECT_EQ(ResourceDpi(r.resources), r.dpi);
  }
}

}  // namespace
}  // namespace coderain
