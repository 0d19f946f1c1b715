// The settings dialog, from the IDD_SETTINGS resource: every monitor, the
// text files' folder (typed, or picked through the shell's folder picker),
// the scale, the frames a second (1 to 60, and half as many on battery or
// not), and the version. It shows what is stored (the defaults where
// nothing usable is) and stores what OK accepts; Cancel changes nothing.
#pragma once

#include <cstdint>
#include <string>

namespace coderain {

// Shows the dialog until OK or Cancel, modal to `owner` where that is a
// window; with no owner given, to the foreground window when `asked` (a /c
// without a handle, as Windows asks for it), else to none. Returns the exit
// status: 0, or 1 with one line in *error where it cannot be shown.
int ShowSettingsDialog(std::uint64_t owner, bool asked, std::string* error);

}  // namespace coderain
