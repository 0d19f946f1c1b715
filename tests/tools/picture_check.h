// Reading pictures back the way a viewer shows them, and comparing them.
#pragma once

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <vector>

#include "core/gfx/bitmap.h"
#include "test_support.h"

namespace coderain::test {

// A GIF as shown: each stored image drawn over the picture so far (the
// writer never disposes a frame).
struct ShownGif {
  int width = 0;
  int height = 0;
  std::vector<Bitmap> frames;
  std::vector<int> delaysCs;
  std::vector<Rect> rects;
  bool loops = false;
};

inline ShownGif ReadGif(const std::string& path) {
  ShownGif shown;
  int err = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &err);
  if (!gif) {
    ADD_FAILURE() << "cannot open " << path << ": " << GifErrorString(err);
    return shown;
  }
  if (DGifSlurp(gif) != GIF_OK) {
    ADD_FAILURE() << "cannot decode " << path << ": " << GifErrorString(gif->Error);
    DGifCloseFile(gif, &err);
    return shown;
  }
  shown.width = gif->SWidth;
  shown.height = gif->SHeight;
  Bitmap canvas(gif->SWidth, gif->SHeight);
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e) {
      const ExtensionBlock& b = image.ExtensionBlocks[e];
      if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
          std::string(reinterpret_cast<const char*>(b.Bytes), 11) == "NETSCAPE2.0")
        shown.loops = image.ExtensionBlocks[e + 1].Bytes[1] == 0 && image.ExtensionBlocks[e + 1].Bytes[2] == 0;
    }
    GraphicsControlBlock gcb{};
    DGifSavedExtensionToGCB(gif, i, &gcb);
    EXPECT_EQ(gcb.DisposalMode, DISPOSE_DO_NOT);
    shown.delaysCs.push_back(gcb.DelayTime);
    const GifImageDesc& d = image.ImageDesc;
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    shown.rects.push_back({d.Left, d.Top, d.Width, d.Height});
    for (int y = 0; y < d.Height; ++y)
      for (int x = 0; x < d.Width; ++x) {
        const GifColorType c = map->Colors[image.RasterBits[y * d.Width + x]];
        canvas.SetPixel(d.Left + x, d.Top + y, Rgb(c.Red, c.Green, c.Blue));
      }
    shown.frames.push_back(canvas);
  }
  DGifCloseFile(gif, &err);
  return shown;
}

// A PNG as shown: any colour type, alpha composited on black.
inline Bitmap ReadPng(const std::string& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) {
    ADD_FAILURE() << "cannot read " << path << ": " << png.message;
    return {};
  }
  png.format = PNG_FORMAT_RGB;
  const png_color black{0, 0, 0};
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, &black, rgb.data(), 0, nullptr)) {
    ADD_FAILURE() << "cannot decode " << path << ": " << png.message;
    png_image_free(&png);
    return {};
  }
  Bitmap picture(static_cast<int>(png.width), static_cast<int>(png.height));
  const png_byte* in = rgb.data();
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x, in += 3) picture.SetPixel(x, y, Rgb(in[0], in[1], in[2]));
  return picture;
}

// Equal sizes and pixels; otherwise the first pixel that differs.
inline ::testing::AssertionResult SamePixels(const Bitmap& a, const Bitmap& b) {
  const std::string difference = FirstDifference(a, b);
  if (difference.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "first difference at " << difference;
}

}  // namespace coderain::test
