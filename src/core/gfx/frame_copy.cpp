#include "core/gfx/frame_copy.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace coderain {

namespace {

// The bits of a channel of `mask` for each 8-bit value, rounded to the
// nearest: 8 bits stay as they are, 10 bits spread 0..255 over 0..1023.
std::array<std::uint32_t, 256> ChannelTable(std::uint32_t mask) {
  std::array<std::uint32_t, 256> table{};
  if (mask == 0) return table;
  const int shift = std::countr_zero(mask);
  const std::uint64_t top = (std::uint64_t{1} << std::popcount(mask)) - 1;
  for (std::size_t v = 0; v < table.size(); ++v)
    table[v] = static_cast<std::uint32_t>((std::uint64_t{v} * top + 127) / 255) << shift;
  return table;
}

// How a frame pixel is stored in an image of four bytes a pixel in the
// machine's byte order: as it is, or by one look-up a channel.
struct AsItIs {
  std::uint32_t operator()(std::uint32_t c) const { return c & 0xFFFFFFu; }
};
struct ByTable {
  const std::uint32_t* red;
  const std::uint32_t* green;
  const std::uint32_t* blue;
  std::uint32_t alpha;
  std::uint32_t operator()(std::uint32_t c) const {
    return red[(c >> 16) & 0xFFu] | green[(c >> 8) & 0xFFu] | blue[c & 0xFFu] | alpha;
  }
};

// Writes image pixels x0 to x1 of a row of four bytes a pixel, each from
// frame pixel x / S of `src`: every frame pixel read, converted and stored
// once across its block. A division and a store for every pixel took half
// as long again (a second of the scene's damage at scale 2); a pixel stored
// a byte at a time, two and a half times as long (a web page's R, G, B, A).
template <int S, typename Convert>
void SpreadRow(std::uint8_t* dst, const std::uint32_t* src, int x0, int x1, Convert convert) {
  const auto one = [&](int x) {
    const std::uint32_t c = convert(src[x / S]);
    std::memcpy(dst, &c, 4);
    dst += 4;
  };
  int x = x0;
  for (; x < x1 && x % S != 0; ++x) one(x);
  const int blocks = (x1 - x) / S;
  const std::uint32_t* from = src + x / S;
  for (int i = 0; i < blocks; ++i, dst += 4 * S) {
    std::array<std::uint32_t, S> block;
    block.fill(convert(from[i]));
    std::memcpy(dst, block.data(), sizeof block);
  }
  for (x += blocks * S; x < x1; ++x) one(x);
}

template <typename Convert>
void SpreadRow(int s, std::uint8_t* dst, const std::uint32_t* src, int x0, int x1, Convert convert) {
  switch (s) {
    case 1:
      return SpreadRow<1>(dst, src, x0, x1, convert);
    case 2:
      return SpreadRow<2>(dst, src, x0, x1, convert);
    case 3:
      return SpreadRow<3>(dst, src, x0, x1, convert);
    case 4:
      return SpreadRow<4>(dst, src, x0, x1, convert);
    case 5:
      return SpreadRow<5>(dst, src, x0, x1, convert);
    case 6:
      return SpreadRow<6>(dst, src, x0, x1, convert);
    case 7:
      return SpreadRow<7>(dst, src, x0, x1, convert);
    default:
      return SpreadRow<8>(dst, src, x0, x1, convert);
  }
}

constexpr int kRowsAhead = 4;
constexpr std::size_t kCacheLine = 64;

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int CeilDiv(int a, int b) { return -FloorDiv(-a, b); }

}  // namespace

FrameCopier::FrameCopier(const PixelLayout& layout)
    : layout_(layout),
      red_(ChannelTable(layout.redMask)),
      green_(ChannelTable(layout.greenMask)),
      blue_(ChannelTable(layout.blueMask)) {
  native_ = layout.bytesPerPixel == 4 && layout.bigEndian == (std::endian::native == std::endian::big) &&
            layout.redMask == 0xFF0000u && layout.greenMask == 0xFF00u && layout.blueMask == 0xFFu &&
            layout.alphaMask == 0;
}

Rect FrameCopier::ImageRect(Rect r, Scaling scaling, const ImageView& image) {
  Rect out;
  if (scaling.down > 1) {
    const int k = scaling.down;
    const int x0 = FloorDiv(r.x, k), y0 = FloorDiv(r.y, k);
    out = {x0, y0, CeilDiv(r.Right(), k) - x0, CeilDiv(r.Bottom(), k) - y0};
  } else {
    const int s = scaling.up;
    out = {r.x * s, r.y * s, r.w * s, r.h * s};
  }
  return out.Intersect({0, 0, image.width, image.height});
}

Rect FrameCopier::Copy(const Bitmap& frame, Rect r, Scaling scaling, const ImageView& image) const {
  r = r.Intersect(frame.Bounds());
  const Rect out = ImageRect(r, scaling, image);
  if (out.Empty()) return {};
  if (scaling.down > 1)
    CopyDown(frame, out, scaling.down, image);
  else
    CopyUp(frame, out, scaling.up, image);
  return out;
}

void FrameCopier::Put(std::uint8_t* at, Color c) const {
  if (native_) {
    std::memcpy(at, &c, 4);
    return;
  }
  const std::uint32_t v = red_[Red(c)] | green_[Green(c)] | blue_[Blue(c)] | layout_.alphaMask;
  const int n = layout_.bytesPerPixel;
  for (int i = 0; i < n; ++i) {
    const int shift = layout_.bigEndian ? 8 * (n - 1 - i) : 8 * i;
    at[i] = static_cast<std::uint8_t>(v >> shift);
  }
}

void FrameCopier::CopyUp(const Bitmap& frame, Rect out, int s, const ImageView& image) const {
  const int bpp = layout_.bytesPerPixel;
  const std::size_t rowBytes = static_cast<std::size_t>(out.w) * bpp;
  for (int y = out.y; y < out.Bottom(); ++y) {
    std::uint8_t* dst = image.pixels + static_cast<std::ptrdiff_t>(y) * image.pitch + out.x * bpp;
    // The rows of a small rectangle lie a pitch apart in an image too large
    // to stay in the cache, so each waits for lines of its own: asking for
    // a row a few below ahead of time overlaps those waits (a present at
    // scale 2 took a good third longer without).
    if (y + kRowsAhead < out.Bottom()) {
      const std::uint8_t* ahead = dst + kRowsAhead * static_cast<std::ptrdiff_t>(image.pitch);
      for (std::size_t i = 0; i < rowBytes; i += kCacheLine) __builtin_prefetch(ahead + i, 1);
      __builtin_prefetch(ahead + rowBytes - 1, 1);
    }
    // Every row of a block after its first is a copy of the row above.
    if (y > out.y && y % s != 0) {
      std::memcpy(dst, dst - image.pitch, rowBytes);
      continue;
    }
    const std::uint32_t* src = frame.Row(y / s);
    if (native_ && s == 1) {
      std::memcpy(dst, src + out.x, rowBytes);
      continue;
    }
    if (native_ && s <= kMaxScale) {
      SpreadRow(s, dst, src, out.x, out.Right(), AsItIs{});
      continue;
    }
    if (bpp == 4 && layout_.bigEndian == (std::endian::native == std::endian::big) && s <= kMaxScale) {
      SpreadRow(s, dst, src, out.x, out.Right(), ByTable{red_.data(), green_.data(), blue_.data(), layout_.alphaMask});
      continue;
    }
    for (int x = out.x; x < out.Right(); ++x, dst += bpp) Put(dst, src[x / s] & 0xFFFFFFu);
  }
}

void FrameCopier::CopyDown(const Bitmap& frame, Rect out, int k, const ImageView& image) const {
  const int bpp = layout_.bytesPerPixel;
  // The frame columns under the output, up to the frame's edge; past it
  // the frame counts as black.
  const int fx0 = out.x * k;
  const int fxEnd = std::max(fx0, std::min(out.Right() * k, frame.Width()));
  const std::size_t bytes = static_cast<std::size_t>(fxEnd - fx0) * sizeof(Color);
  blockRows_.resize(bytes);
  std::uint8_t* acc = blockRows_.data();
  for (int y = out.y; y < out.Bottom(); ++y) {
    // Down the block's rows first. Each channel of a 0x00RRGGBB pixel is a
    // byte of its own, so the brightest of every channel is the largest of
    // every byte, a loop the compiler runs many bytes at a time.
    const int fy0 = y * k, fy1 = std::min(fy0 + k, frame.Height());
    if (fy0 < fy1 && bytes > 0)
      std::memcpy(acc, frame.Row(fy0) + fx0, bytes);
    else
      std::fill(acc, acc + bytes, std::uint8_t{0});
    for (int fy = fy0 + 1; fy < fy1; ++fy) {
      const auto* row = reinterpret_cast<const std::uint8_t*>(frame.Row(fy) + fx0);
      for (std::size_t i = 0; i < bytes; ++i) acc[i] = std::max(acc[i], row[i]);
    }
    // Then across each block's columns.
    std::uint8_t* dst = image.pixels + static_cast<std::ptrdiff_t>(y) * image.pitch + out.x * bpp;
    for (int x = out.x; x < out.Right(); ++x, dst += bpp) {
      std::array<std::uint8_t, sizeof(Color)> px{};
      const int c0 = x * k - fx0, c1 = std::min(x * k + k, fxEnd) - fx0;
      for (int c = c0; c < c1; ++c)
        for (std::size_t i = 0; i < px.size(); ++i) px[i] = std::max(px[i], acc[c * sizeof(Color) + i]);
      Color color;
      std::memcpy(&color, px.data(), sizeof color);
      Put(dst, color);
    }
  }
}

}  // namespace coderain
