// Fuzzes the screen saver's settings as read from the registry. The input
// is a list of values, each a name byte (one of the settings' names, or another
// one), a type byte, a two-byte length and that many bytes of data.
// Whatever they hold, reading must give settings within their limits,
// which store and read back unchanged, and must throw nothing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "core/run/saver_settings.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "saver settings: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace coderain;
  StoredValues values;
  for (std::size_t i = 0; i + 4 <= size;) {
    const std::uint8_t name = data[i];
    const std::uint32_t type = data[i + 1];
    std::size_t length = data[i + 2] | static_cast<std::size_t>(data[i + 3]) << 8;
    i += 4;
    if (length > size - i) length = size - i;
    constexpr std::size_t kNames = std::size(kSaverValueNames);
    values[name % (kNames + 1) < kNames ? kSaverValueNames[name % (kNames + 1)] : "Other"] = {
        type, std::string(reinterpret_cast<const char*>(data + i), length)};
    i += length;
  }
  const SaverSettings s = ReadSaverSettings(values);
  if (s.scale < 0 || s.scale > kMaxSaverScale) Fail("a scale past its limits");
  if (s.fps < 1 || s.fps > FrameRate::kMaxFps) Fail("a frame rate past its limits");
  const std::string& f = s.textFolder;
  for (const char c : f)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) Fail("a control character in the folder");
  if (!f.empty() && f.size() < 3) Fail("a folder too short to be a full path");
  if (!f.empty() && !(f[1] == ':' || ((f[0] == '\\' || f[0] == '/') && (f[1] == '\\' || f[1] == '/'))))
    Fail("a folder that is no full path");
  if (f.size() > 3 && (f.back() == '\\' || f.back() == '/')) Fail("a separator at the folder's end");
  if (!(ReadSaverSettings(StoreSaverSettings(s)) == s)) Fail("settings that do not read back as stored");
  return 0;
}
