#include "core/gfx/frame_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace coderain {
namespace {

// An image of w x h pixels in a layout, read back pixel by pixel.
struct Image {
  Image(int w, int h, const PixelLayout& l) : layout(l), bytes(static_cast<std::size_t>(w * h * l.bytesPerPixel)) {
    view = {bytes.data(), w, h, w * l.bytesPerPixel};
  }
  std::uint32_t At(int x, int y) const {
    std::uint32_t v = 0;
    const std::uint8_t* p = bytes.data() + y * view.pitch + x * layout.bytesPerPixel;
    for (int i = 0; i < layout.bytesPerPixel; ++i)
      v |= static_cast<std::uint32_t>(p[i]) << (layout.bigEndian ? 8 * (layout.bytesPerPixel - 1 - i) : 8 * i);
    return v;
  }
  PixelLayout layout;
  std::vector<std::uint8_t> bytes;
  ImageView view;
};

TEST(FrameCopy, EveryLayoutKeepsTheColours) {
  struct Row {
    const char* name;
    PixelLayout layout;
    std::uint32_t green128, white;  // (0, 128, 0) and (255, 255, 255) in the layout
  };
  const Row rows[] = {
      {"24-bit", {4, false, 0xFF0000, 0xFF00, 0xFF}, 0x008000, 0xFFFFFF},
      {"24-bit, big-endian", {4, true, 0xFF0000, 0xFF00, 0xFF}, 0x008000, 0xFFFFFF},
      {"30-bit", {4, false, 0x3FF00000, 0xFFC00, 0x3FF}, 514u << 10, 0x3FFFFFFF},
      {"16-bit", {2, false, 0xF800, 0x7E0, 0x1F}, 32u << 5, 0xFFFF},
      {"15-bit", {2, false, 0x7C00, 0x3E0, 0x1F}, 16u << 5, 0x7FFF},
      {"24-bit packed, blue first", {3, false, 0xFF, 0xFF00, 0xFF0000}, 0x008000, 0xFFFFFF},
      {"32-bit with alpha: opaque", {4, false, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0xFF008000, 0xFFFFFFFF},
  };
  Bitmap frame(3, 2);
  frame.SetPixel(1, 0, Rgb(0, 128, 0));
  frame.SetPixel(2, 1, Rgb(255, 255, 255));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Image image(3, 2, row.layout);
    FrameCopier copier(row.layout);
    EXPECT_EQ(copier.Copy(frame, frame.Bounds(), {}, image.view), frame.Bounds());
    EXPECT_EQ(image.At(0, 0), row.layout.alphaMask);
    EXPECT_EQ(image.At(1, 0), row.green128);
    EXPECT_EQ(image.At(2, 1), row.white);
  }
}

TEST(FrameCopy, ScalingUpMakesBlocksAndStopsAtTheImage) {
  Bitmap frame(3, 2);
  frame.SetPixel(2, 1, Rgb(0, 255, 0));
  // 7 x 5: two columns and a row past 2 x (3 x 2) stay untouched.
  Image image(7, 5, {});
  FrameCopier copier({});
  EXPECT_EQ(copier.Copy(frame, {2, 1, 1, 1}, {2, 1}, image.view), (Rect{4, 2, 2, 2}));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
      const bool lit = x >= 4 && x < 6 && y >= 2 && y < 4;
      EXPECT_EQ(image.At(x, y), lit ? 0x00FF00u : 0u);
    }
  // A damaged rectangle past the frame or the image sends nothing.
  EXPECT_TRUE(copier.Copy(frame, {3, 0, 5, 5}, {2, 1}, image.view).Empty());
  Image small(3, 3, {});
  EXPECT_EQ(copier.Copy(frame, frame.Bounds(), {2, 1}, small.view), (Rect{0, 0, 3, 3}));
}

TEST(FrameCopy, ScalingUpIsExactAtEveryEdge) {
  // Every frame pixel its own colour.
  Bitmap frame(5, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) frame.SetPixel(x, y, Rgb(40 * x + 5, 60 * y + 3, 17 * (x + y)));
  const PixelLayout layouts[] = {{},
                                 {2, false, 0xF800, 0x7E0, 0x1F},
                                 {3, true, 0xFF0000, 0xFF00, 0xFF},
                                 {4, false, 0xFF, 0xFF00, 0xFF0000, 0xFF000000}};
  const Rect rects[] = {{0, 0, 5, 4}, {1, 1, 2, 2}, {4, 3, 1, 1}, {3, 0, 9, 1}};
  for (const PixelLayout& layout : layouts)
    for (const int s : {2, 3})
      // Past the scaled frame, exactly on it, and cut in the middle of a
      // block.
      for (const Point size : {Point{5 * s + 2, 4 * s + 1}, Point{5 * s, 4 * s}, Point{5 * s - 1, 4 * s - 2}})
        for (const Rect& r : rects) {
          SCOPED_TRACE(std::to_string(layout.bytesPerPixel) + " bytes, s " + std::to_string(s) + ", image " +
                       std::to_string(size.x) + "x" + std::to_string(size.y) + ", rect " + std::to_string(r.x) + "," +
                       std::to_string(r.y));
          FrameCopier copier(layout);
          Image unscaled(5, 4, layout);
          copier.Copy(frame, frame.Bounds(), {}, unscaled.view);
          Image image(size.x, size.y, layout);
          std::fill(image.bytes.begin(), image.bytes.end(), 0xAB);
          const Image untouched = image;
          const Rect written = copier.Copy(frame, r, {s, 1}, image.view);
          EXPECT_EQ(written, FrameCopier::ImageRect(r.Intersect(frame.Bounds()), {s, 1}, image.view));
          for (int y = 0; y < size.y; ++y)
            for (int x = 0; x < size.x; ++x)
              ASSERT_EQ(image.At(x, y), written.Contains({x, y}) ? unscaled.At(x / s, y / s) : untouched.At(x, y))
                  << x << "," << y;
        }
}

TEST(FrameCopy, ReducingTakesTheBrightestOfEachBlock) {
  // 7 x 4 reduced by 3: blocks of 3 x 3, the last column and row partial.
  Bitmap frame(7, 4);
  frame.SetPixel(0, 0, Rgb(10, 0, 0));
  frame.SetPixel(2, 2, Rgb(0, 200, 5));
  frame.SetPixel(6, 3, Rgb(0, 0, 99));  // alone in the corner block
  Image image(3, 2, {});
  FrameCopier copier({});
  // One damaged pixel rewrites the whole block it lies in.
  EXPECT_EQ(copier.Copy(frame, {2, 2, 1, 1}, {1, 3}, image.view), (Rect{0, 0, 1, 1}));
  EXPECT_EQ(image.At(0, 0), Rgb(10, 200, 5));
  EXPECT_EQ(image.At(2, 1), 0u);  // not damaged, not written
  EXPECT_EQ(copier.Copy(frame, frame.Bounds(), {1, 3}, image.view), (Rect{0, 0, 3, 2}));
  EXPECT_EQ(image.At(2, 1), Rgb(0, 0, 99));
  EXPECT_EQ(image.At(1, 1), 0u);
}

TEST(FrameCopy, ReducingGivesEachBlocksBrightestChannelsWhereverTheDamageLies) {
  // A frame of scattered colours, its size a multiple of no k below.
  Bitmap frame(23, 17);
  std::uint32_t seed = 1;
  for (int y = 0; y < frame.Height(); ++y)
    for (int x = 0; x < frame.Width(); ++x) {
      seed = seed * 1664525u + 1013904223u;
      if (seed >> 30 == 0) frame.SetPixel(x, y, seed >> 8 & 0xFFFFFF);
    }
  const auto brightest = [&](int bx, int by, int k) {
    int r = 0, g = 0, b = 0;
    for (int y = by * k; y < std::min(by * k + k, frame.Height()); ++y)
      for (int x = bx * k; x < std::min(bx * k + k, frame.Width()); ++x) {
        const Color c = frame.Pixel(x, y);
        r = std::max(r, Red(c));
        g = std::max(g, Green(c));
        b = std::max(b, Blue(c));
      }
    return Rgb(r, g, b);
  };
  const Rect damage[] = {{0, 0, 23, 17}, {5, 4, 1, 1}, {20, 15, 3, 2}, {7, 0, 9, 5}, {22, 3, 9, 40}, {-4, -4, 6, 6}};
  for (int k : {2, 3, 4, 7, 24}) {
    for (const Rect& r : damage) {
      SCOPED_TRACE("k " + std::to_string(k) + ", damage at " + std::to_string(r.x) + "," + std::to_string(r.y));
      Image image(12, 9, {});
      std::fill(image.bytes.begin(), image.bytes.end(), std::uint8_t{0xAB});
      const Rect out = FrameCopier({}).Copy(frame, r, {1, k}, image.view);
      EXPECT_EQ(out, FrameCopier::ImageRect(r.Intersect(frame.Bounds()), {1, k}, image.view));
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x)
          ASSERT_EQ(image.At(x, y), out.Contains({x, y}) ? brightest(x, y, k) : 0xABABABABu) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace coderain
