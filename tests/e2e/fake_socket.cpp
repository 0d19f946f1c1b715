// fake_socket: a Unix socket at PATH that is no display server, for the
// end-to-end tests of what the program does when pointed at one.
//
//   fake_socket PATH garbage   answers every connection with bytes that
//                              are no protocol's, and keeps it open
//   fake_socket PATH silent    accepts and never answers
//
// It prints "ready" once it listens and runs until it is killed.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3 || std::strlen(argv[1]) >= sizeof(sockaddr_un::sun_path)) {
    std::fprintf(stderr, "usage: fake_socket PATH garbage|silent\n");
    return 2;
  }
  const bool garbage = std::string(argv[2]) == "garbage";
  const int s = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strcpy(a.sun_path, argv[1]);
  unlink(argv[1]);
  if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s, 8) != 0) {
    std::perror("fake_socket");
    return 1;
  }
  std::puts("ready");
  std::fflush(stdout);
  std::vector<int> kept;  // held open, so that the other end waits
  for (;;) {
    const int c = accept(s, nullptr, nullptr);
    if (c < 0) continue;
    if (garbage) {
      const char junk[] = "\x01\x00\x00\x00\xff\xff\x08\x00 not a display server at all \xde\xad\xbe\xef";
      if (write(c, junk, sizeof junk) < 0) std::perror("fake_socket");
    }
    kept.push_back(c);
  }
}
