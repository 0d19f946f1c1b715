// Picture files of the framebuffer: PNG stills and animated GIFs.
//
// Pixels are the framebuffer's 0x00RRGGBB colours; the top byte is ignored.
// Every call that can fail returns false and sets *error to one line naming
// what failed and the path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/gfx/bitmap.h"

struct GifFileType;

namespace coderain {

// Writes `image` as an 8-bit RGB PNG, replacing any file at `path`.
bool WritePng(const std::string& path, const Bitmap& image, std::string* error);

// An animated GIF written frame by frame, looping for ever.
//
// To keep the file small, each frame holds only the rectangle that changed
// since the frame before (earlier frames stay on screen), with a palette of
// exactly the colours in that rectangle; where there are more than 256 the
// fixed 256-colour palette of FixedPaletteIndex serves instead. A frame that
// changes nothing lengthens the one before it.
class GifWriter {
 public:
  GifWriter() = default;
  ~GifWriter();
  GifWriter(const GifWriter&) = delete;
  GifWriter& operator=(const GifWriter&) = delete;

  // Creates the file, width x height pixels (each 1 to 65535).
  bool Open(const std::string& path, int width, int height, std::string* error);
  // Adds `frame` (the size given to Open), shown for delayCs hundredths of
  // a second.
  bool AddFrame(const Bitmap& frame, int delayCs, std::string* error);
  // Writes the last frame and ends the file. A writer destroyed without
  // Close leaves an unfinished file.
  bool Close(std::string* error);

 private:
  struct Frame {
    int x = 0, y = 0, w = 0, h = 0;
    int delayCs = 0;
    std::vector<Color> palette;
    std::vector<std::uint8_t> indices;  // w x h, row-major
  };
  // The rectangle of `frame` that differs from the frame added before;
  // empty when none does.
  Rect Changed(const Bitmap& frame) const;
  // Fills f's palette and indices from rectangle r of `frame`: the exact
  // colours where there are at most 256, else the fixed palette.
  static void Index(const Bitmap& frame, Rect r, Frame* f);
  bool WriteFrame(const Frame& f, std::string* error);
  bool Fail(int gifError, std::string* error);

  GifFileType* gif_ = nullptr;
  std::string path_;
  int width_ = 0;
  int height_ = 0;
  std::vector<Color> previous_;  // the frame added last
  Frame pending_;
  bool hasPending_ = false;
};

// The fixed palette for frames of more than 256 colours: 8 levels of red,
// 8 of green and 4 of blue, each channel mapped to its nearest level.
int FixedPaletteIndex(Color c);
Color FixedPaletteColor(int index);

// Hundredths of a second that frame `i` of a sequence spaced `stepMs` apart
// is shown, rounded so that the first i + 1 frames together last as close
// to (i + 1) x stepMs as whole hundredths allow.
int FrameDelayCs(std::int64_t i, std::int64_t stepMs);

}  // namespace coderain
