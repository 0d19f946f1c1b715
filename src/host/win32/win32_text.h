// Text in the system's UTF-16 and back, for what the Windows build hands
// to the system and reads from it.
#pragma once

#include <string>

namespace coderain {

// UTF-8 to UTF-16 and back; invalid sequences become U+FFFD.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace coderain
