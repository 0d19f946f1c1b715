// The program's own directory: where its three text files stand unless
// the user names another folder. Each host implements it once
// (host/posix/process.cpp, host/win32/win32_files.cpp).
#pragma once

#include <string>

namespace coderain {

// The directory that holds the program file itself (a link to it elsewhere
// is followed), in UTF-8, without a trailing separator except at the root
// (of a drive); empty when the system cannot say.
std::string ProgramDirectory();

}  // namespace coderain
