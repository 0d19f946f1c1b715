// Fuzzes the command line Windows gives the screen saver (/s, /p HWND,
// /c[:HWND], /a). The input is the argument list, the arguments separated
// by NUL bytes. Whatever it holds, parsing must say run (-1), nothing to do
// (0) or bad (2), and a request to run must be one the screen saver can
// keep: full screen with no window, a preview in a window, or the settings.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "arguments.h"
#include "core/run/saver_options.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "saver options: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> args = SplitArguments(data, size, 8);
  coderain::LaunchRequest request;
  const int status = coderain::ParseSaverArguments(args, &request);
  if (status == 2) return 0;
  const char letter = args.empty() || args[0].size() < 2 ? 'c' : static_cast<char>(std::tolower(args[0][1]));
  if (status == 0) {
    if (letter != 'a') Fail("nothing to do, but not /a");
    return 0;
  }
  if (status != -1) Fail("a status other than -1, 0 or 2");
  if (args.size() > 2) Fail("runs with more than two arguments");
  using Mode = coderain::LaunchRequest::Mode;
  switch (request.mode) {
    case Mode::OwnWindow:
      if (letter != 's' || request.window != 0 || args.size() != 1) Fail("full screen, but not from /s alone");
      break;
    case Mode::Preview:
      if (letter != 'p' || request.window == 0) Fail("a preview without its window");
      break;
    case Mode::Settings:
      if (letter != 'c') Fail("the settings, but not from /c or nothing");
      break;
    default:
      Fail("a lent window, which the screen saver has not");
  }
  return 0;
}
