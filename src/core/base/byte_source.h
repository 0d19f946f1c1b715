// A file's bytes as the line reader takes them, from whatever the host
// opened: read in order, rewound to the first byte.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace coderain {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `n` bytes into `buffer`. Returns how many came (> 0), 0 at
  // the end of the file, or -1 when nothing can be read now (a device with
  // nothing ready, a failed read): the reader takes both as "no more bytes
  // now", and only 0 as the end.
  virtual std::ptrdiff_t Read(char* buffer, std::size_t n) = 0;
  // Goes back to the first byte.
  virtual void Rewind() = 0;
};

// Opens `path` for reading only. A regular file or a character device is
// accepted; a directory, a pipe or a socket is not, and nothing that opens
// can hold up the caller (a device reads without waiting). Returns null and
// sets *error to the reason ("No such file or directory", "is a
// directory", "is not a regular file"). Each host implements it once
// (host/posix/).
std::unique_ptr<ByteSource> OpenByteSource(const std::string& path, std::string* error);

}  // namespace coderain
