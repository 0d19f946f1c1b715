// What the web build compiles in from the machine that built it: the glyph
// tables of the scene's fonts and the three text files, written as C++ by
// coderain-bake (tools/bake_main.cpp) while the build runs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace coderain::baked {

// One glyph: its placement as Glyph has it, and its mask, one bit a pixel,
// row by row, the first pixel in the top bit of the byte at `bits`.
struct Glyph {
  std::int8_t left;
  std::int8_t top;
  std::uint8_t width;
  std::uint8_t height;
  std::uint8_t advance;
  std::uint32_t bits;
};

// One face at one size as RasterizeFace gave it: the request it answers,
// the row height and 256 glyphs.
struct Font {
  const char* face;
  int pixelSize;
  bool embolden;
  int rowHeight;
  const Glyph* glyphs;
  const std::uint8_t* bits;
};

struct File {
  const char* name;  // without a folder
  const std::uint8_t* bytes;
  std::size_t size;
};

// The scene's faces as the build named them (the files of DejaVu Sans Mono
// and its bold) and every font the scene opens from them.
extern const char* const kRegularFace;
extern const char* const kBoldFace;
extern const Font kFonts[];
extern const std::size_t kFontCount;

extern const File kFiles[];
extern const std::size_t kFileCount;

}  // namespace coderain::baked
