// Sequential line reading of a source text file, with bounded work.
//
// Lines end with CR LF, LF or a lone CR; the line end is not part of the
// line, and a last line without one is still a line. Bytes are read as
// Latin-1, except that a valid UTF-8 sequence is decoded to its character.
// A file that starts with a byte-order mark is read as its mark says, the
// mark itself shown nowhere: EF BB BF is UTF-8 (read as above), FF FE is
// UTF-16 little-endian and FE FF big-endian (two bytes a unit, a surrogate
// pair one character, a lone surrogate '?', the line ends being units; a
// last lone byte reads as '?'). Characters past Latin-1 become '?'. Tabs
// are expanded to the next multiple of eight columns.
//
// Work is bounded per call: ReadLine keeps at most kMaxLineChars characters
// of a line and scans at most kMaxScanBytes bytes of the file. A line longer
// than that is handed out in pieces of kMaxScanBytes bytes, each read as a
// line of its own, so a 1 GiB line or a device that never ends a line costs
// the same per call as any other line and never fills memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/byte_source.h"

namespace coderain {

class SourceFile {
 public:
  static constexpr std::size_t kMaxLineChars = 512;
  static constexpr std::size_t kMaxScanBytes = 64 * 1024;

  // Opens `path` through the host (OpenByteSource: a regular file or a
  // character device, for reading only). Returns false and sets *error
  // (the reason, such as "No such file or directory" or "is a directory")
  // on failure.
  bool Open(const std::string& path, std::string* error);
  // Reads `bytes` from now on, named `path`.
  void Open(std::unique_ptr<ByteSource> bytes, std::string path);
  bool IsOpen() const { return bytes_ != nullptr; }
  const std::string& Path() const { return path_; }
  void Close();

  // True when no byte is left to read: a file read to its end, emptied or
  // cut short while open. A device with no data ready is not at its end.
  bool AtEnd();
  // Goes back to the first byte; the byte-order mark is read again.
  void Rewind();
  // Reads the next line, as above. At the end of the file it returns an
  // empty line. The view stays valid until the next call.
  std::string_view ReadLine();

 private:
  enum class Encoding { Bytes, Utf16Le, Utf16Be };

  // At the first byte: reads the byte-order mark, if there is one, once a
  // byte is there. False when no byte is.
  bool Start();
  std::string_view ReadByteLine();
  std::string_view ReadUtf16Line();
  // Makes at least one unread byte available; false at the end (or when a
  // device has nothing ready).
  bool Fill();
  // Keeps the unread bytes, moved to the front, and reads more after them;
  // false when nothing more came.
  bool FillMore();
  // Makes `n` unread bytes available (n <= 4); false when they cannot be.
  bool Have(std::size_t n);

  std::unique_ptr<ByteSource> bytes_;
  std::string path_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // first unread byte in buffer_
  std::size_t end_ = 0;    // one past the last byte read into buffer_
  bool eof_ = false;       // the last read returned nothing
  bool atStart_ = true;    // the byte-order mark is still to be read
  Encoding encoding_ = Encoding::Bytes;
  std::string line_;
};

// `path` as an error line shows it: UTF-8 characters as they are, control
// characters and bytes that are not UTF-8 as '?', and a path longer than
// 160 bytes as its first and last 72 bytes or so around "...", so that the
// line stays one short line that still names the file.
std::string ShownPath(std::string_view path);

}  // namespace coderain
