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

TEST(FrameCopy, EveryScaleWritesExactlyTheBlocksTheDamageTouches) {
  // Scattered colours, the frame's size a multiple of no scale below.
  Bitmap frame(23, 17);
  std::uint32_t seed = 1;
  for (int y = 0; y < frame.Height(); ++y)
    for (int x = 0; x < frame.Width(); ++x) {
      seed = seed * 1664525u + 1013904223u;
      if (seed >> 30 == 0) frame.SetPixel(x, y, seed >> 8 & 0xFFFFFF);
    }
  const PixelLayout layouts[] = {{},
                                 {2, false, 0xF800, 0x7E0, 0x1F},
                                 {3, true, 0xFF0000, 0xFF00, 0xFF},
                                 {4, false, 0xFF, 0xFF00, 0xFF0000, 0xFF000000}};
  // Inside, one pixel, the corner, past the right and bottom edges, before
  // the top left one, and wholly past the frame.
  const Rect damage[] = {{0, 0, 23, 17}, {7, 0, 9, 5},   {5, 4, 1, 1}, {20, 15, 3, 2},
                         {22, 3, 9, 40}, {-4, -4, 6, 6}, {23, 0, 5, 5}};
  for (const PixelLayout& layout : layouts)
    for (const Scaling scaling :
         {Scaling{2, 1}, Scaling{3, 1}, Scaling{1, 2}, Scaling{1, 3}, Scaling{1, 4}, Scaling{1, 7}, Scaling{1, 24}}) {
      const int s = scaling.up, k = scaling.down;
      // What the image shows unscaled: each k x k block's brightest channels,
      // the last column and row of blocks partial.
      Bitmap blocks((frame.Width() + k - 1) / k, (frame.Height() + k - 1) / k);
      for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x) {
          const Color a = blocks.Pixel(x / k, y / k), c = frame.Pixel(x, y);
          blocks.SetPixel(x / k, y / k,
                          Rgb(std::max(Red(a), Red(c)), std::max(Green(a), Green(c)), std::max(Blue(a), Blue(c))));
        }
      const FrameCopier copier(layout);
      Image want(blocks.Width(), blocks.Height(), layout);
      copier.Copy(blocks, blocks.Bounds(), {}, want.view);
      // Past the scaled frame, exactly on it, and cut in the middle of a block.
      const Point full{blocks.Width() * s, blocks.Height() * s};
      for (const Point size :
           {Point{full.x + 2, full.y + 1}, full, Point{std::max(1, full.x - 1), std::max(1, full.y - 2)}})
        for (const Rect& r : damage) {
          SCOPED_TRACE(std::to_string(layout.bytesPerPixel) + " bytes, up " + std::to_string(s) + ", down " +
                       std::to_string(k) + ", image " + std::to_string(size.x) + "x" + std::to_string(size.y) +
                       ", damage at " + std::to_string(r.x) + "," + std::to_string(r.y));
          Image image(size.x, size.y, layout);
          std::fill(image.bytes.begin(), image.bytes.end(), 0xAB);
          const Image untouched = image;
          const Rect written = copier.Copy(frame, r, scaling, image.view);
          const Rect c = r.Intersect(frame.Bounds());
          const int x0 = c.x * s / k, y0 = c.y * s / k;
          const Rect covered =
              Rect{x0, y0, (c.Right() * s + k - 1) / k - x0, (c.Bottom() * s + k - 1) / k - y0}.Intersect(
                  {0, 0, size.x, size.y});
          EXPECT_EQ(written, covered);
          EXPECT_EQ(FrameCopier::ImageRect(c, scaling, image.view), covered);
          for (int y = 0; y < size.y; ++y)
            for (int x = 0; x < size.x; ++x)
              ASSERT_EQ(image.At(x, y), written.Contains({x, y}) ? want.At(x / s, y / s) : untouched.At(x, y))
                  << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace coderain
