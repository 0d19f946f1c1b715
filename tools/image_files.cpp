#include "image_files.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_map>

namespace coderain {

namespace {

std::string Reason(int err) { return std::strerror(err); }

std::string GifReason(int gifError) {
  const char* s = GifErrorString(gifError);
  return s ? s : "GIF error " + std::to_string(gifError);
}

// The application extension that makes a GIF loop for ever.
constexpr GifByteType kLoopApp[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
constexpr GifByteType kLoopForever[] = {1, 0, 0};

}  // namespace

// The simplified libpng interface reports errors in the image record
// instead of jumping out of the call, which keeps setjmp out of C++ code.
bool WritePng(const std::string& path, const Bitmap& image, std::string* error) {
  const int w = image.Width(), h = image.Height();
  if (w <= 0 || h <= 0) {
    *error = "cannot write " + path + ": the picture is empty";
    return false;
  }
  std::vector<png_byte> rgb(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
  png_byte* out = rgb.data();
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* row = image.Row(y);
    for (int x = 0; x < w; ++x) {
      const Color c = row[x];
      *out++ = static_cast<png_byte>(Red(c));
      *out++ = static_cast<png_byte>(Green(c));
      *out++ = static_cast<png_byte>(Blue(c));
    }
  }

  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    *error = "cannot write " + path + ": " + Reason(errno);
    return false;
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(w);
  png.height = static_cast<png_uint_32>(h);
  png.format = PNG_FORMAT_RGB;
  const bool written = png_image_write_to_stdio(&png, f, 0, rgb.data(), w * 3, nullptr) != 0;
  const std::string pngMessage = png.message;
  png_image_free(&png);
  // A full disk shows only when the buffered bytes are flushed.
  int err = 0;
  if (std::fflush(f) != 0 || std::ferror(f)) err = errno ? errno : EIO;
  if (std::fclose(f) != 0 && err == 0) err = errno;
  if (!written) {
    *error = "cannot write " + path + ": " + pngMessage;
    return false;
  }
  if (err != 0) {
    *error = "cannot write " + path + ": " + Reason(err);
    return false;
  }
  return true;
}

int FixedPaletteIndex(Color c) {
  const int r = (Red(c) * 7 + 127) / 255;
  const int g = (Green(c) * 7 + 127) / 255;
  const int b = (Blue(c) * 3 + 127) / 255;
  return r * 32 + g * 4 + b;
}

Color FixedPaletteColor(int index) {
  const int r = (index >> 5) & 7, g = (index >> 2) & 7, b = index & 3;
  return Rgb((r * 255 + 3) / 7, (g * 255 + 3) / 7, b * 85);
}

int FrameDelayCs(std::int64_t i, std::int64_t stepMs) {
  auto until = [stepMs](std::int64_t frames) { return (frames * stepMs + 5) / 10; };
  return static_cast<int>(until(i + 1) - until(i));
}

GifWriter::~GifWriter() {
  if (gif_) {
    int ignored = 0;
    EGifCloseFile(gif_, &ignored);
  }
}

bool GifWriter::Fail(int gifError, std::string* error) {
  *error = "cannot write " + path_ + ": " + GifReason(gifError);
  if (gif_) {
    int ignored = 0;
    EGifCloseFile(gif_, &ignored);
    gif_ = nullptr;
  }
  return false;
}

bool GifWriter::Open(const std::string& path, int width, int height, std::string* error) {
  path_ = path;
  if (width < 1 || height < 1 || width > 65535 || height > 65535) {
    *error = "cannot write " + path + ": a GIF is 1 to 65535 pixels wide and high";
    return false;
  }
  // Opening the file ourselves lets a failure say why.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    *error = "cannot write " + path + ": " + Reason(errno);
    return false;
  }
  int err = 0;
  gif_ = EGifOpenFileHandle(fd, &err);
  if (!gif_) {
    ::close(fd);
    return Fail(err, error);
  }
  width_ = width;
  height_ = height;
  previous_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  hasPending_ = false;
  EGifSetGifVersion(gif_, true);
  if (EGifPutScreenDesc(gif_, width, height, 8, 0, nullptr) == GIF_ERROR) return Fail(gif_->Error, error);

  if (EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
      EGifPutExtensionBlock(gif_, sizeof kLoopApp, kLoopApp) == GIF_ERROR ||
      EGifPutExtensionBlock(gif_, sizeof kLoopForever, kLoopForever) == GIF_ERROR ||
      EGifPutExtensionTrailer(gif_) == GIF_ERROR)
    return Fail(gif_->Error, error);
  return true;
}

Rect GifWriter::Changed(const Bitmap& frame) const {
  int left = width_, right = -1, top = height_, bottom = -1;
  for (int y = 0; y < height_; ++y) {
    const std::uint32_t* row = frame.Row(y);
    const Color* old = previous_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    int x0 = 0;
    while (x0 < width_ && (row[x0] & 0xFFFFFFu) == old[x0]) ++x0;
    if (x0 == width_) continue;
    int x1 = width_ - 1;
    while ((row[x1] & 0xFFFFFFu) == old[x1]) --x1;
    left = std::min(left, x0);
    right = std::max(right, x1);
    top = std::min(top, y);
    bottom = y;
  }
  return right < 0 ? Rect{} : Rect::FromCorners(left, top, right, bottom);
}

void GifWriter::Index(const Bitmap& frame, Rect r, Frame* f) {
  f->palette.clear();
  f->indices.resize(static_cast<std::size_t>(r.w) * static_cast<std::size_t>(r.h));
  // Exact colours while there are at most 256 of them.
  std::unordered_map<Color, std::uint8_t> index;
  Color last = 0xFFFFFFFFu;
  std::uint8_t lastIndex = 0;
  std::uint8_t* out = f->indices.data();
  for (int y = r.y; y < r.Bottom(); ++y) {
    const std::uint32_t* row = frame.Row(y);
    for (int x = r.x; x < r.Right(); ++x) {
      const Color c = row[x] & 0xFFFFFFu;
      if (c != last) {
        auto it = index.find(c);
        if (it == index.end()) {
          if (f->palette.size() == 256) {
            // Too many: every pixel through the fixed palette.
            f->palette.resize(256);
            for (int i = 0; i < 256; ++i) f->palette[static_cast<std::size_t>(i)] = FixedPaletteColor(i);
            out = f->indices.data();
            for (int fy = r.y; fy < r.Bottom(); ++fy)
              for (int fx = r.x; fx < r.Right(); ++fx)
                *out++ = static_cast<std::uint8_t>(FixedPaletteIndex(frame.Row(fy)[fx]));
            return;
          }
          it = index.emplace(c, static_cast<std::uint8_t>(f->palette.size())).first;
          f->palette.push_back(c);
        }
        last = c;
        lastIndex = it->second;
      }
      *out++ = lastIndex;
    }
  }
}

bool GifWriter::AddFrame(const Bitmap& frame, int delayCs, std::string* error) {
  if (!gif_) {
    *error = "cannot write " + path_ + ": the file is not open";
    return false;
  }
  if (frame.Width() != width_ || frame.Height() != height_) {
    *error = "cannot write " + path_ + ": a frame differs in size from the first";
    return false;
  }
  delayCs = std::clamp(delayCs, 0, 65535);
  Rect r = hasPending_ ? Changed(frame) : frame.Bounds();
  if (r.Empty()) {
    // Nothing changed: the frame before stays up longer.
    if (pending_.delayCs + delayCs <= 65535) {
      pending_.delayCs += delayCs;
      return true;
    }
    r = {0, 0, 1, 1};  // a one-pixel frame that repeats what is shown
  }
  if (hasPending_ && !WriteFrame(pending_, error)) return false;
  pending_.x = r.x;
  pending_.y = r.y;
  pending_.w = r.w;
  pending_.h = r.h;
  pending_.delayCs = delayCs;
  Index(frame, r, &pending_);
  for (int y = r.y; y < r.Bottom(); ++y) {
    const std::uint32_t* row = frame.Row(y);
    Color* previous = previous_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    for (int x = r.x; x < r.Right(); ++x) previous[x] = row[x] & 0xFFFFFFu;
  }
  hasPending_ = true;
  return true;
}

bool GifWriter::WriteFrame(const Frame& f, std::string* error) {
  GraphicsControlBlock gcb{};
  gcb.DisposalMode = DISPOSE_DO_NOT;
  gcb.UserInputFlag = false;
  gcb.DelayTime = f.delayCs;
  gcb.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType ext[4];
  const std::size_t extLength = EGifGCBToExtension(&gcb, ext);
  if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extLength), ext) == GIF_ERROR)
    return Fail(gif_->Error, error);

  // A colour table holds a power of two entries, at least two.
  const int bits = std::max(1, GifBitSize(static_cast<int>(f.palette.size())));
  std::vector<GifColorType> colors(std::size_t{1} << bits, GifColorType{0, 0, 0});
  for (std::size_t i = 0; i < f.palette.size(); ++i)
    colors[i] = GifColorType{static_cast<GifByteType>(Red(f.palette[i])), static_cast<GifByteType>(Green(f.palette[i])),
                             static_cast<GifByteType>(Blue(f.palette[i]))};
  ColorMapObject* map = GifMakeMapObject(1 << bits, colors.data());
  if (!map) return Fail(E_GIF_ERR_NOT_ENOUGH_MEM, error);
  // EGifPutImageDesc keeps a copy of the map.
  const int put = EGifPutImageDesc(gif_, f.x, f.y, f.w, f.h, false, map);
  GifFreeMapObject(map);
  if (put == GIF_ERROR) return Fail(gif_->Error, error);

  std::vector<GifPixelType> line(static_cast<std::size_t>(f.w));
  for (int y = 0; y < f.h; ++y) {
    std::copy_n(f.indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(f.w), f.w, line.begin());
    if (EGifPutLine(gif_, line.data(), f.w) == GIF_ERROR) return Fail(gif_->Error, error);
  }
  return true;
}

bool GifWriter::Close(std::string* error) {
  if (!gif_) {
    *error = "cannot write " + path_ + ": the file is not open";
    return false;
  }
  if (hasPending_ && !WriteFrame(pending_, error)) return false;
  hasPending_ = false;
  int err = 0;
  const int closed = EGifCloseFile(gif_, &err);
  gif_ = nullptr;
  if (closed == GIF_ERROR) {
    *error = "cannot write " + path_ + ": " + GifReason(err);
    return false;
  }
  return true;
}

}  // namespace coderain
