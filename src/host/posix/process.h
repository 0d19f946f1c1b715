// What the program needs of its own process.
#pragma once

namespace coderain {

// Reopens any of descriptors 0, 1 and 2 that is closed onto /dev/null, so
// that nothing opened later (the X connection) takes its number and
// receives what libraries write to stdout or stderr.
void KeepStandardDescriptorsOpen();

}  // namespace coderain
