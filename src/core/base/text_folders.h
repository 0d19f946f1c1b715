// The three text files the code panels show, and the folder each is read
// from: the program's own, or a folder of the user's, where a file that is
// not there is the program's own.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace coderain {

// The files' names, in the order of the panels that show them (picASM,
// picC, picVB). The build reads them from this line.
inline constexpr std::array<const char*, 3> kSourceFileNames = {"codeASM.txt", "codeC.txt", "codeVB.txt"};

struct TextFolders {
  // All three from `folder`.
  TextFolders(std::string folder = {}) : of{folder, folder, folder} {}
  TextFolders(const char* folder) : TextFolders(std::string(folder)) {}
  // File i's path: its folder, the system's separator and its name, as they
  // are (a folder at the root gives "//codeASM.txt", or "C:\\\\codeASM.txt",
  // which name the same file).
  std::string Path(std::size_t i) const;

  std::array<std::string, 3> of;
};

// Where the files are read from when the user names `given`, a folder or a
// file in it (a file chooser gives one), and the program's own stand in
// `own`: from that folder, each one that is not there (no such file) from
// `own`. Sets *note to one line naming those, or leaves it as it is. When
// none of the three is there, or `own` is empty, all come from the folder,
// and start-up names the first that cannot be read.
TextFolders FindTextFolders(const std::string& given, const std::string& own, std::string* note);

}  // namespace coderain
