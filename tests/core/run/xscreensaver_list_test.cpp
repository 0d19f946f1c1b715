#include "core/run/xscreensaver_list.h"

#include <gtest/gtest.h>

#include <string>

namespace coderain {
namespace {

TEST(XScreenSaverList, AddsTheEntryOnceTouchingNothingElse) {
  const std::string entry = "\t\t\t\tcoderain --root\t\t\t\t    \\n";
  const char* defaults = "*fade: True\n*programs:\t\\\n  maze --root \\n\\\n- GL: rubik --root \\n\n*lock: False\n";
  struct Row {
    const char* file;
    const char* defaults;
    std::string want;  // "": the file stays as it was
  };
  const Row rows[] = {
      // As the daemon writes it: the last entry ends in "\n" alone.
      {"lock: False\nprograms:\t\\\n  maze --root \\n\\\n- GL: rubik --root \\n\n\n\nmode: one\n", "",
       "lock: False\nprograms:\t\\\n  maze --root \\n\\\n- GL: rubik --root \\n\t\\\n" + entry + "\n\n\nmode: one\n"},
      // A last entry without its "\n", a list ended by a blank line, none.
      {"programs: maze --root", "", "programs: maze --root \\n\t\\\n" + entry + "\n"},
      {"programs:\t\\\n maze \\n\\\n\t\\\n\ndpms: 1", "",
       "programs:\t\\\n maze \\n\t\\\n" + entry + "\\\n\t\\\n\ndpms: 1\n"},
      {"programs:\nmode: one\n", "", "programs:\t\\\n" + entry + "\nmode: one\n"},
      // No list: the daemon's, under the user's key; no file and no daemon's.
      {"mode: one\n", defaults,
       "mode: one\nprograms:\t\\\n  maze --root \\n\\\n- GL: rubik --root \\n\t\\\n" + entry + "\n"},
      {"", "", "programs:\t\\\n" + entry + "\n"},
      // There already, chosen or not, by any name, path or visual.
      {"programs: \\\n maze \\n\\\n - GL: \"Code\" /usr/bin/coderain -root\\n\n", "", ""},
      {"", "*programs: coderain --root\n", ""},
      {"programs: coderainbow --root \\n\n", "", "programs: coderainbow --root \\n\t\\\n" + entry + "\n"},
  };
  for (const Row& row : rows) {
    std::string file = row.file;
    EXPECT_EQ(AddToXScreenSaverList(&file, row.defaults, "coderain", "coderain --root"), !row.want.empty()) << row.file;
    EXPECT_EQ(file, row.want.empty() ? row.file : row.want);
    // Once there, it stays so.
    EXPECT_FALSE(AddToXScreenSaverList(&file, row.defaults, "coderain", "coderain --root")) << file;
  }
}

}  // namespace
}  // namespace coderain
