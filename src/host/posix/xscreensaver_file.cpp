#include "host/posix/xscreensaver_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/base/source_file.h"
#include "core/run/xscreensaver_list.h"

namespace coderain {

namespace {

// The daemon's own settings, whose list it uses where the user's file has
// none.
constexpr const char* kDefaults = "/etc/X11/app-defaults/XScreenSaver";

// Reads the file at `path` into *text; false with errno set when it cannot.
bool ReadAll(const std::string& path, std::string* text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[65536];
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
    if (got > 0) text->append(buffer, static_cast<std::size_t>(got));
  const int error = errno;
  ::close(fd);
  errno = error;
  return got == 0;
}

// Writes `text` to a new file at `path` with the permissions of `like` (a
// file's, else as the umask leaves 0644), on the disk before it returns;
// false with errno set when it cannot.
bool WriteAll(const std::string& path, const std::string& text, const struct stat* like) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = !like || ::fchmod(fd, like->st_mode & 07777) == 0;
  for (std::size_t at = 0; ok && at < text.size();) {
    const ssize_t put = ::write(fd, text.data() + at, text.size() - at);
    if (put > 0) at += static_cast<std::size_t>(put);
    ok = put > 0 || (put < 0 && errno == EINTR);
  }
  ok = ok && ::fsync(fd) == 0;
  const int error = errno;
  ok = ::close(fd) == 0 && ok;
  errno = ok ? 0 : error;
  return ok;
}

}  // namespace

int AddToXScreenSaver(std::ostream& out, std::ostream& err) {
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* user = ::getpwuid(::getuid());
    home = user ? user->pw_dir : nullptr;
  }
  if (!home || !*home) {
    err << "coderain: cannot find the home folder\n";
    return 1;
  }
  const std::string path = std::string(home) + "/.xscreensaver";
  const auto failed = [&](const char* what, const std::string& file) {
    err << "coderain: cannot " << what << " " << ShownPath(file) << ": " << std::strerror(errno) << "\n";
    return 1;
  };
  // A link stays a link: the file it names is the one rewritten.
  char resolved[PATH_MAX];
  const std::string target = ::realpath(path.c_str(), resolved) ? resolved : path;
  std::string text;
  struct stat st {};
  const bool there = ::stat(target.c_str(), &st) == 0;
  if (there && !ReadAll(target, &text)) return failed("read", target);
  const std::string before = text;
  std::string defaults;
  ReadAll(kDefaults, &defaults);
  if (!AddToXScreenSaverList(&text, defaults, "coderain", "coderain --root")) {
    out << "coderain: " << ShownPath(path) << " already lists coderain\n";
    return 0;
  }
  const std::string backup = path + ".before-coderain";
  if (there && !WriteAll(backup, before, &st)) return failed("write", backup);
  const std::string fresh = target + ".coderain-new";
  if (!WriteAll(fresh, text, there ? &st : nullptr) || ::rename(fresh.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(fresh.c_str());
    errno = error;
    return failed("write", target);
  }
  out << "coderain: added \"coderain --root\" to the programs of " << ShownPath(path)
      << (there ? " (as it was: " + ShownPath(backup) + ")" : "") << "\n";
  return 0;
}

}  // namespace coderain
