#include "image_files.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "picture_check.h"
#include "test_support.h"

namespace coderain {
namespace {

using test::ReadGif;
using test::SamePixels;
using test::ShownGif;

// Writes `frames`, each with its delay in hundredths, as a GIF in `dir` and
// reads it back as shown.
ShownGif WrittenGif(const test::TempDir& dir, const std::vector<std::pair<Bitmap, int>>& frames) {
  const std::string path = (dir.Path() / "a.gif").string();
  GifWriter gif;
  std::string error;
  bool ok = gif.Open(path, frames[0].first.Width(), frames[0].first.Height(), &error);
  for (const auto& [frame, delayCs] : frames) ok = ok && gif.AddFrame(frame, delayCs, &error);
  if (!ok || !gif.Close(&error)) ADD_FAILURE() << error;
  return ReadGif(path);
}

TEST(ImageFilesTest, PngRoundTripKeepsEveryPixel) {
  test::TempDir dir;
  Bitmap picture(37, 23);
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) picture.SetPixel(x, y, Rgb(x * 7, y * 11, (x ^ y) * 5));
  picture.SetPixel(0, 0, Rgb(255, 255, 255));
  picture.SetPixel(36, 22, Rgb(0, 1, 254));
  // The top byte of a framebuffer pixel is not part of its colour.
  picture.Row(5)[5] = 0xFF000000u | Rgb(0, 192, 0);

  const std::string path = (dir.Path() / "round.png").string();
  std::string error;
  ASSERT_TRUE(WritePng(path, picture, &error)) << error;
  const Bitmap back = test::ReadPng(path);
  EXPECT_TRUE(SamePixels(back, picture));
  EXPECT_EQ(back.Pixel(5, 5), Rgb(0, 192, 0));
}

TEST(ImageFilesTest, GifShowsEachFrameExactlyAndStoresOnlyWhatChanged) {
  test::TempDir dir;
  Bitmap black(40, 30);
  Bitmap dots = black;
  dots.SetPixel(10, 12, Rgb(0, 192, 0));
  dots.SetPixel(14, 13, Rgb(255, 255, 255));
  Bitmap edges = dots;
  edges.SetPixel(0, 29, Rgb(0, 32, 0));
  edges.SetPixel(39, 0, Rgb(0, 128, 0));

  // The second dots frame, unchanged, lengthens the one before.
  const ShownGif shown = WrittenGif(dir, {{black, 4}, {dots, 2}, {dots, 1}, {edges, 3}});
  ASSERT_EQ(shown.frames.size(), 3u);
  EXPECT_EQ(shown.width, 40);
  EXPECT_EQ(shown.height, 30);
  EXPECT_TRUE(shown.loops);
  EXPECT_TRUE(SamePixels(shown.frames[0], black));
  EXPECT_TRUE(SamePixels(shown.frames[1], dots));
  EXPECT_TRUE(SamePixels(shown.frames[2], edges));
  EXPECT_EQ(shown.delaysCs, (std::vector<int>{4, 3, 3}));
  EXPECT_EQ(shown.rects[0], (Rect{0, 0, 40, 30}));
  EXPECT_EQ(shown.rects[1], (Rect{10, 12, 5, 2}));
  EXPECT_EQ(shown.rects[2], (Rect{0, 0, 40, 30}));
}

TEST(ImageFilesTest, GifOfManyColoursFallsBackToTheFixedPalette) {
  test::TempDir dir;
  Bitmap few(20, 20);
  Bitmap many(20, 20);
  std::set<Color> distinct;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      many.SetPixel(x, y, Rgb(x * 13, y * 13, (x + y) * 3));
      distinct.insert(many.Pixel(x, y));
      few.SetPixel(x, y, Rgb(0, (x * 20 + y) % 256, 0));
    }
  ASSERT_GT(distinct.size(), 256u);

  const ShownGif shown = WrittenGif(dir, {{few, 1}, {many, 1}});
  ASSERT_EQ(shown.frames.size(), 2u);
  EXPECT_TRUE(SamePixels(shown.frames[0], few));  // 256 greens: still exact
  Bitmap expected(20, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) expected.SetPixel(x, y, FixedPaletteColor(FixedPaletteIndex(many.Pixel(x, y))));
  EXPECT_TRUE(SamePixels(shown.frames[1], expected));

  // The fixed palette keeps the scene's pure colours and the corners.
  for (Color c : {Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(0, 255, 0), Rgb(255, 0, 255)})
    EXPECT_EQ(FixedPaletteColor(FixedPaletteIndex(c)), c);
}

TEST(ImageFilesTest, GifFrameDelaysAddUpToTheSpan) {
  // 15 ms frames alternate 2 and 1 hundredths; four of them last 60 ms.
  EXPECT_EQ((std::vector<int>{FrameDelayCs(0, 15), FrameDelayCs(1, 15), FrameDelayCs(2, 15), FrameDelayCs(3, 15)}),
            (std::vector<int>{2, 1, 2, 1}));
  for (std::int64_t step : {1, 5, 10, 33, 40, 1000}) {
    std::int64_t total = 0;
    for (std::int64_t i = 0; i < 100; ++i) total += FrameDelayCs(i, step);
    EXPECT_EQ(total, (100 * step + 5) / 10) << "step " << step;
  }
}

TEST(ImageFilesTest, FailuresNameThePathAndTheReason) {
  test::TempDir dir;
  std::string error;
  const std::string noDir = (dir.Path() / "no-such-dir" / "x.png").string();
  EXPECT_FALSE(WritePng(noDir, Bitmap(4, 4), &error));
  EXPECT_EQ(error, "cannot write " + noDir + ": No such file or directory");

  GifWriter gif;
  const std::string missing = (dir.Path() / "none" / "a.gif").string();
  EXPECT_FALSE(gif.Open(missing, 10, 10, &error));
  EXPECT_EQ(error, "cannot write " + missing + ": No such file or directory");

  const std::string path = (dir.Path() / "a.gif").string();
  ASSERT_TRUE(gif.Open(path, 10, 10, &error)) << error;
  EXPECT_FALSE(gif.AddFrame(Bitmap(11, 10), 1, &error));
  EXPECT_EQ(error, "cannot write " + path + ": a frame differs in size from the first");
}

}  // namespace
}  // namespace coderain
