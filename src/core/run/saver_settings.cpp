#include "core/run/saver_settings.h"

#include <cstddef>

namespace coderain {

namespace {

// The longest path Windows opens, in UTF-16 units.
constexpr std::size_t kMaxPathUnits = 32767;

bool IsSeparator(char32_t c) { return c == '\\' || c == '/'; }

// A REG_DWORD's number, if the value is one.
bool ReadNumber(const StoredValues& values, const char* name, std::uint32_t* n) {
  const auto it = values.find(name);
  if (it == values.end() || it->second.type != kRegNumber || it->second.bytes.size() != 4) return false;
  const auto* b = reinterpret_cast<const unsigned char*>(it->second.bytes.data());
  *n = b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  return true;
}

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
    return;
  }
  const int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
  out->push_back(static_cast<char>(((0xFF00u >> (extra + 1)) & 0xFF) | c >> (6 * extra)));
  for (int i = extra - 1; i >= 0; --i) out->push_back(static_cast<char>(0x80 | ((c >> (6 * i)) & 0x3F)));
}

// The code points of a REG_SZ up to its first NUL; false for an odd length
// or a surrogate without its pair.
bool DecodeUtf16(const std::string& bytes, std::u32string* text) {
  if (bytes.size() % 2 != 0) return false;
  const auto unit = [&](std::size_t i) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) | static_cast<unsigned char>(bytes[2 * i + 1])
                                                                                << 8);
  };
  const std::size_t n = bytes.size() / 2;
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t u = unit(i);
    if (u == 0) break;
    if (u >= 0xDC00 && u <= 0xDFFF) return false;
    if (u < 0xD800 || u > 0xDBFF) {
      text->push_back(u);
      continue;
    }
    if (i + 1 >= n || unit(i + 1) < 0xDC00 || unit(i + 1) > 0xDFFF) return false;
    text->push_back(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
    ++i;
  }
  return true;
}

// A folder's path as the settings keep it: full ("C:\..." or "\\server\..."),
// without control characters, short enough to open, and without separators
// at the end (but for a drive's root). Empty where the text is none of that.
std::string ReadFolder(const StoredValues& values) {
  const auto it = values.find("TextFolder");
  std::u32string path;
  if (it == values.end() || it->second.type != kRegText || !DecodeUtf16(it->second.bytes, &path)) return {};
  if (path.size() > kMaxPathUnits) return {};
  for (const char32_t c : path)
    if (c < 0x20 || c == 0x7F) return {};
  const bool drive = path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' &&
                     IsSeparator(path[2]);
  const bool share = path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
  if (!drive && !share) return {};
  while (path.size() > 3 && IsSeparator(path.back())) path.pop_back();
  std::string utf8;
  for (const char32_t c : path) AppendUtf8(c, &utf8);
  return utf8;
}

// UTF-8 to UTF-16LE with a NUL at the end; a broken sequence becomes U+FFFD.
std::string EncodeUtf16(const std::string& utf8) {
  std::string out;
  const auto put = [&out](char32_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
    bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < utf8.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
      ok = (next & 0xC0) == 0x80;
      c = c << 6 | (next & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (!ok || c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      put(0xFFFD);
      ++i;
      continue;
    }
    i += static_cast<std::size_t>(extra) + 1;
    if (c < 0x10000) {
      put(c);
    } else {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  put(0);
  return out;
}

StoredValue Number(std::uint32_t n) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(n >> (8 * i) & 0xFF));
  return {kRegNumber, bytes};
}

}  // namespace

SaverSettings ReadSaverSettings(const StoredValues& values) {
  SaverSettings s;
  std::uint32_t n = 0;
  if (ReadNumber(values, "EveryMonitor", &n) && n <= 1) s.everyMonitor = n == 1;
  if (ReadNumber(values, "Scale", &n) && n <= kMaxSaverScale) s.scale = static_cast<int>(n);
  if (ReadNumber(values, "Fps", &n) && n >= 1 && n <= FrameRate::kMaxFps) s.fps = static_cast<int>(n);
  if (ReadNumber(values, "HalfOnBattery", &n) && n <= 1) s.halfOnBattery = n == 1;
  s.textFolder = ReadFolder(values);
  return s;
}

StoredValues StoreSaverSettings(const SaverSettings& settings) {
  return {{"EveryMonitor", Number(settings.everyMonitor ? 1 : 0)},
          {"TextFolder", {kRegText, EncodeUtf16(settings.textFolder)}},
          {"Scale", Number(static_cast<std::uint32_t>(settings.scale))},
          {"Fps", Number(static_cast<std::uint32_t>(settings.fps))},
          {"HalfOnBattery", Number(settings.halfOnBattery ? 1 : 0)}};
}

void ApplySaverSettings(const SaverSettings& settings, LaunchRequest* request) {
  request->everyMonitor = settings.everyMonitor && request->mode == LaunchRequest::Mode::OwnWindow;
  request->dataDir = settings.textFolder;
  request->scale = settings.scale;
  request->rate.fps = settings.fps;
  request->rate.batteryFps = settings.halfOnBattery ? FrameRate::kHalfOnBattery : 0;
}

}  // namespace coderain
