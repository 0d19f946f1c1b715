#include "host/posix/process.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "core/base/program_directory.h"

namespace coderain {

void KeepStandardDescriptorsOpen() {
  for (int fd = 0; fd <= 2; ++fd)
    if (fcntl(fd, F_GETFD) < 0) {
      // The lowest free number is this one.
      const int opened = open("/dev/null", O_RDWR);
      if (opened >= 0 && opened != fd) {
        dup2(opened, fd);
        close(opened);
      }
    }
}

std::string ProgramDirectory() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || self.empty()) return {};
  return self.parent_path().string();
}

}  // namespace coderain
