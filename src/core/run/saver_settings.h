// The screen saver's settings and the values that keep them, as the
// registry holds them under HKEY_CURRENT_USER\Software\coderain:
//
//   EveryMonitor  REG_DWORD  1: a scene of its own on every monitor; 0: one
//   TextFolder    REG_SZ     the folder of the three text files, a full
//                            path; empty: the program's own
//   Scale         REG_DWORD  0: the display's rule; 1 to kMaxSaverScale
//   Fps           REG_DWORD  frames a second at most, 1 to 60
//   HalfOnBattery REG_DWORD  1: half as many frames on battery; 0: as many
//
// Reading is the registry's bytes turned into settings without trusting
// them: a value that is missing, of another type, cut short or out of range
// (another number, a relative path, control characters, broken UTF-16)
// leaves that setting at its default, never an error. Portable, so that it
// is tested and fuzzed anywhere.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "core/run/launch_request.h"

namespace coderain {

inline constexpr int kMaxSaverScale = 4;
// The registry's numbers for the two types the settings use.
inline constexpr std::uint32_t kRegText = 1;    // REG_SZ: UTF-16LE, a NUL at the end or not
inline constexpr std::uint32_t kRegNumber = 4;  // REG_DWORD: 4 bytes, little-endian

struct SaverSettings {
  bool everyMonitor = false;
  std::string textFolder;        // UTF-8, no separator at the end but after a drive ("C:\"); empty: the program's own
  int scale = 0;                 // 0 (the display's rule) to kMaxSaverScale
  int fps = FrameRate::kMaxFps;  // 1 to FrameRate::kMaxFps
  bool halfOnBattery = true;

  bool operator==(const SaverSettings&) const = default;
};

// One value as the registry returns it.
struct StoredValue {
  std::uint32_t type = 0;
  std::string bytes;
};
// Values by name; a missing value is not in the map.
using StoredValues = std::map<std::string, StoredValue>;

// The value names, for the code that reads them.
inline constexpr const char* kSaverValueNames[] = {"EveryMonitor", "TextFolder", "Scale", "Fps", "HalfOnBattery"};

SaverSettings ReadSaverSettings(const StoredValues& values);
// The values that keep `settings`: ReadSaverSettings gives them back.
StoredValues StoreSaverSettings(const SaverSettings& settings);

// What the settings ask of a run: every monitor (in full screen only), the
// text folder, the scale and the frame rate.
void ApplySaverSettings(const SaverSettings& settings, LaunchRequest* request);

}  // namespace coderain
