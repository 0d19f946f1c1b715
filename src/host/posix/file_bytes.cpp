// Source files on a POSIX system: a descriptor read in order.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/base/byte_source.h"

namespace coderain {

namespace {

class FileBytes : public ByteSource {
 public:
  explicit FileBytes(int fd) : fd_(fd) {}
  ~FileBytes() override { ::close(fd_); }
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  std::ptrdiff_t Read(char* buffer, std::size_t n) override {
    ssize_t got;
    do {
      got = ::read(fd_, buffer, n);
    } while (got < 0 && errno == EINTR);
    return got < 0 ? -1 : got;
  }
  void Rewind() override { ::lseek(fd_, 0, SEEK_SET); }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenByteSource(const std::string& path, std::string* error) {
  // Non-blocking, so that a pipe without a writer or a terminal cannot hold
  // up start-up or a tick.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (error) *error = std::strerror(errno);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISCHR(st.st_mode))) {
    if (error) *error = S_ISDIR(st.st_mode) ? "is a directory" : "is not a regular file";
    ::close(fd);
    return nullptr;
  }
  // A regular file reads as usual; only devices stay non-blocking.
  if (S_ISREG(st.st_mode)) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return std::make_unique<FileBytes>(fd);
}

}  // namespace coderain
