// What the program needs of its own process.
#pragma once

#include <string>

namespace coderain {

// Reopens any of descriptors 0, 1 and 2 that is closed onto /dev/null, so
// that nothing opened later (the X connection) takes its number and
// receives what libraries write to stdout or stderr.
void KeepStandardDescriptorsOpen();

// The directory that holds the program file itself (a link to it elsewhere
// is followed), without a trailing separator except at the root; empty
// when the system cannot say.
std::string ProgramDirectory();

}  // namespace coderain
