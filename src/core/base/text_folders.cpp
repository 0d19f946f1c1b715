#include "core/base/text_folders.h"

#include "core/base/byte_source.h"
#include "core/base/source_file.h"

namespace coderain {

namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "\\/";
#else
constexpr const char* kSeparators = "/";
#endif

// The folder that holds the file at `path`: "." for a bare name, and the
// root (of a drive) keeps its separator.
std::string FolderOf(const std::string& path) {
  const std::size_t at = path.find_last_of(kSeparators);
  if (at == std::string::npos) return ".";
  const bool driveRoot = at == 2 && path[1] == ':';
  return path.substr(0, at == 0 || driveRoot ? at + 1 : at);
}

// Whether `path` can be opened, as a file: false only for none there.
bool There(const std::string& path) {
  std::string reason;
  return OpenByteSource(path, &reason) || reason != "No such file or directory";
}

}  // namespace

std::string TextFolders::Path(std::size_t i) const {
#ifdef _WIN32
  return of[i] + "\\" + kSourceFileNames[i];
#else
  return of[i] + "/" + kSourceFileNames[i];
#endif
}

TextFolders FindTextFolders(const std::string& given, const std::string& own, std::string* note) {
  // A file opens; a folder, or what is not there, does not.
  const std::string folder = OpenByteSource(given, nullptr) ? FolderOf(given) : given;
  TextFolders texts(folder);
  std::string missing;
  std::size_t count = 0;
  for (std::size_t i = 0; i < kSourceFileNames.size(); ++i) {
    if (There(texts.Path(i))) continue;
    texts.of[i] = own;
    missing += std::string(count++ ? ", " : "") + kSourceFileNames[i];
  }
  if (count == 0) return texts;
  if (own.empty() || count == kSourceFileNames.size()) return TextFolders(folder);
  *note = "no " + missing + " in " + ShownPath(folder) + "; showing the program's own";
  return texts;
}

}  // namespace coderain
