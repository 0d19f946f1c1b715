// Faces found and rasterised by GDI, into the same glyph tables as on any
// other system.
//
// GDI substitutes a face it lacks without a word, so a family counts only
// where the face GDI really selected has its name. Sizes are ems in pixels
// (a negative height to CreateFontW), and a row is as high as the face's
// own ascender and descender make it at that size, rounded outwards: the
// same rows as every other host, where GDI's rounded text metrics would be
// a pixel or two shorter.
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/gfx/font.h"
#include "host/win32/win32_text.h"

namespace coderain {

namespace {

// A memory device context with one font selected, for the length of a call.
class FontDc {
 public:
  FontDc(const std::wstring& family, int pixelSize, bool bold) {
    dc_ = CreateCompatibleDC(nullptr);
    font_ = CreateFontW(-pixelSize, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, FIXED_PITCH | FF_MODERN,
                        family.c_str());
    if (dc_ && font_) old_ = SelectObject(dc_, font_);
  }
  ~FontDc() {
    if (old_) SelectObject(dc_, old_);
    if (font_) DeleteObject(font_);
    if (dc_) DeleteDC(dc_);
  }
  FontDc(const FontDc&) = delete;
  FontDc& operator=(const FontDc&) = delete;

  bool Ok() const { return old_ != nullptr; }
  HDC Dc() const { return dc_; }
  // The face GDI really selected.
  std::wstring Face() const {
    wchar_t name[LF_FACESIZE] = {};
    return GetTextFaceW(dc_, LF_FACESIZE, name) > 0 ? name : L"";
  }

 private:
  HDC dc_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// A big-endian 16-bit value of a font table.
int Read16(const std::vector<std::uint8_t>& t, std::size_t at, bool isSigned) {
  const int v = (t[at] << 8) | t[at + 1];
  return isSigned && v >= 0x8000 ? v - 0x10000 : v;
}

std::vector<std::uint8_t> Table(HDC dc, const char (&tag)[5]) {
  const DWORD name = static_cast<DWORD>(tag[0]) | static_cast<DWORD>(tag[1]) << 8 | static_cast<DWORD>(tag[2]) << 16 |
                     static_cast<DWORD>(tag[3]) << 24;
  const DWORD size = GetFontData(dc, name, 0, nullptr, 0);
  if (size == GDI_ERROR || size == 0) return {};
  std::vector<std::uint8_t> data(size);
  if (GetFontData(dc, name, 0, data.data(), size) != size) return {};
  return data;
}

// The ascender (above the baseline) and descender (below it, positive) in
// whole pixels: the face's horizontal header scaled to the size and
// rounded outwards; GDI's own metrics where the face has no such header.
void RowMetrics(HDC dc, int pixelSize, int* ascender, int* descender) {
  const std::vector<std::uint8_t> hhea = Table(dc, "hhea"), head = Table(dc, "head");
  if (hhea.size() >= 8 && head.size() >= 20) {
    const int unitsPerEm = Read16(head, 18, false);
    if (unitsPerEm > 0) {
      *ascender = static_cast<int>(std::ceil(Read16(hhea, 4, true) * static_cast<double>(pixelSize) / unitsPerEm));
      *descender = -static_cast<int>(std::floor(Read16(hhea, 6, true) * static_cast<double>(pixelSize) / unitsPerEm));
      return;
    }
  }
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  *ascender = tm.tmAscent;
  *descender = tm.tmDescent;
}

}  // namespace

bool RasterizeFace(const std::string& face, int pixelSize, bool embolden, GlyphTable* table, std::string* error) {
  const FontDc f(Widen(face), pixelSize, embolden);
  // GDI gives some face for any name: only the one asked for will do.
  if (!f.Ok() || lstrcmpiW(f.Face().c_str(), Widen(face).c_str()) != 0) {
    if (error) *error = "cannot open font " + face + " at " + std::to_string(pixelSize) + " px: it is not installed";
    return false;
  }
  int ascender = 0, descender = 0;
  RowMetrics(f.Dc(), pixelSize, &ascender, &descender);
  table->rowHeight = ascender + descender;
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  std::vector<std::uint8_t> bits;
  for (int c = 0; c < 256; ++c) {
    Glyph& g = table->glyphs[static_cast<std::size_t>(c)];
    // Control characters take a blank's cell but show nothing; the rest
    // are Latin-1, which is Unicode's first 256 code points.
    const bool control = c < 32 || (c >= 127 && c < 160);
    const UINT code = control ? ' ' : static_cast<UINT>(c);
    GLYPHMETRICS gm{};
    const DWORD size = GetGlyphOutlineW(f.Dc(), code, GGO_BITMAP, &gm, 0, nullptr, &identity);
    if (size == GDI_ERROR) continue;
    g.advance = gm.gmCellIncX;
    if (control || size == 0) continue;  // a blank: nothing painted
    bits.assign(size, 0);
    if (GetGlyphOutlineW(f.Dc(), code, GGO_BITMAP, &gm, size, bits.data(), &identity) == GDI_ERROR) continue;
    g.width = static_cast<int>(gm.gmBlackBoxX);
    g.height = static_cast<int>(gm.gmBlackBoxY);
    g.left = gm.gmptGlyphOrigin.x;
    g.top = ascender - gm.gmptGlyphOrigin.y;
    // One bit a pixel, most significant first, rows padded to 32 bits.
    const std::size_t pitch = (static_cast<std::size_t>(g.width) + 31) / 32 * 4;
    if (pitch * static_cast<std::size_t>(g.height) > bits.size()) {
      g.width = g.height = 0;
      continue;
    }
    g.mask.assign(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height), 0);
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x)
        g.mask[static_cast<std::size_t>(y * g.width + x)] =
            (bits[static_cast<std::size_t>(y) * pitch + static_cast<std::size_t>(x >> 3)] >> (7 - (x & 7))) & 1;
  }
  return true;
}

bool FindSceneFonts(FontFaces* faces, std::string* error) {
  // "Lucida Console" is on every Windows; DejaVu Sans Mono is what wine
  // finds on a Linux desktop; Consolas is on most Windows; Courier New is
  // the last resort. The bold panel text is GDI's bold of the same family:
  // its real bold face where it has one, else one GDI makes.
  std::vector<std::string> families(std::begin(kSceneFamilies), std::end(kSceneFamilies));
  families.push_back("Courier New");
  std::string names;
  for (const std::string& family : families) {
    const FontDc f(Widen(family), PointsToPixels(kPanelPoints), false);
    if (f.Ok() && lstrcmpiW(f.Face().c_str(), Widen(family).c_str()) == 0) {
      faces->regular = family;
      faces->bold.clear();
      return true;
    }
    names += (names.empty() ? "" : ", ") + family;
  }
  if (error) *error = "no usable font: none of " + names + " is installed";
  return false;
}

}  // namespace coderain
