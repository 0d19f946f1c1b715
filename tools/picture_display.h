// The screen the program would show, in memory: a framebuffer display of
// one screen whose image is a picture, for the renderer. The scene fits it
// as the program's own window of that size, and a whole present is the
// picture the screen would show.
#pragma once

#include <bit>
#include <string>

#include "core/run/framebuffer_display.h"

namespace coderain {

class PictureDisplay : public FramebufferDisplay {
 public:
  PictureDisplay() : FramebufferDisplay(kStill) {}

  // A screen of width x height pixels at `scale` (0: the one the program
  // takes for that size, with no desktop density). False and *error when
  // the memory cannot be had.
  bool Open(int width, int height, int scale, std::string* error) {
    return AddScreen(0, {width, height, 0, scale}, error);
  }
  // What the screen shows, once the frame has been presented whole.
  const Bitmap& Picture() const { return picture_; }

  void Show() override {}

 protected:
  PixelLayout Layout(int) const override {
    PixelLayout native;
    native.bigEndian = std::endian::native == std::endian::big;
    return native;
  }
  bool MakeImages(int, int width, int height, std::string* error) override {
    if (Bitmap::Allocate(width, height, &picture_)) return true;
    *error = NoMemoryFor(width, height);
    return false;
  }
  ImageView Image(int, int) const override {
    return {reinterpret_cast<std::uint8_t*>(const_cast<Bitmap&>(picture_).Row(0)), picture_.Width(), picture_.Height(),
            picture_.Pitch() * 4};
  }
  int FreeImage(int) override { return 0; }
  void Send(int, int, std::span<const Rect>, bool) override {}

 private:
  Bitmap picture_;
};

}  // namespace coderain
