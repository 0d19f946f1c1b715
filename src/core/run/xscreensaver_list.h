// The list of programs in xscreensaver's settings file (~/.xscreensaver),
// as text: the resource "programs:", whose value runs on over lines that
// end in a backslash, one program to an entry, the entries parted by "\n".
// An entry is the command line, after an optional "-" (not chosen), a
// visual ("GL:") and a name in double quotes.
#pragma once

#include <string>
#include <string_view>

namespace coderain {

// Adds an entry `command` to the list in `file` (the file's text, empty when
// there is none), unless an entry there already runs `program` (by the
// last part of its first word). Where the file has no list, it gets the
// one of `defaults` (the daemon's own settings, whose list the daemon uses
// then) before the entry, so that no program drops out; every other line
// stays as it was. Returns false, the text untouched, when the list (the
// file's, else the daemon's) already runs the program.
bool AddToXScreenSaverList(std::string* file, std::string_view defaults, std::string_view program,
                           std::string_view command);

}  // namespace coderain
