// The power watch of a build without a bus library: nothing to hear.
#include "host/posix/power_watch.h"

namespace coderain {

struct PowerWatch::Bus {};

PowerWatch::PowerWatch() = default;
PowerWatch::~PowerWatch() = default;

pollfd PowerWatch::PrepareWait(int*) { return {-1, 0, 0}; }

bool PowerWatch::Dispatch(short, bool*) { return false; }

}  // namespace coderain
