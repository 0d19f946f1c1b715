// The screen saver's settings in the registry, under
// HKEY_CURRENT_USER\Software\coderain (core/run/saver_settings.h says
// which values and how they are read).
#pragma once

#include <string>

#include "core/run/saver_settings.h"

namespace coderain {

// The settings as stored; the defaults for whatever is missing or cannot
// be read.
SaverSettings LoadSaverSettings();
// Stores them; false with one line in *error where the registry refuses.
bool SaveSaverSettings(const SaverSettings& settings, std::string* error);

}  // namespace coderain
