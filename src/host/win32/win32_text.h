// What the Windows build needs of its system beside the display: text in
// the system's UTF-16 and back, and the program's own directory.
#pragma once

#include <string>

namespace coderain {

// UTF-8 to UTF-16 and back; invalid sequences become U+FFFD.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

// The directory that holds the .scr itself, in UTF-8, without a trailing
// separator except at the root of a drive; empty when the system cannot
// say.
std::string ProgramDirectory();

}  // namespace coderain
