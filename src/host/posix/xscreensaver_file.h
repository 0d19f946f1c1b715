// coderain --xscreensaver-add: the program in the list of ~/.xscreensaver.
#pragma once

#include <ostream>

namespace coderain {

// Adds "coderain --root" to the programs of ~/.xscreensaver (as
// core/run/xscreensaver_list.h does), the file written anew beside itself
// and then put in its place (through a link, the file it names), the file
// as it was kept in ~/.xscreensaver.before-coderain. A file that is not
// there is made, with the daemon's own list before the entry. Says what it
// did in one line on `out`, or what failed in one line on `err`; returns
// the exit status (1 when the file cannot be read or written).
int AddToXScreenSaver(std::ostream& out, std::ostream& err);

}  // namespace coderain
