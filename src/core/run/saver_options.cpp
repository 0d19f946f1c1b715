#include "core/run/saver_options.h"

#include <cctype>

#include "core/run/program_options.h"

namespace coderain {

int ParseSaverArguments(const std::vector<std::string>& args, LaunchRequest* request) {
  constexpr int kRun = -1, kNothing = 0, kBad = 2;
  request->mode = LaunchRequest::Mode::Settings;
  request->window = 0;
  if (args.empty()) return kRun;
  const std::string& first = args[0];
  if (first.size() < 2 || (first[0] != '/' && first[0] != '-')) return kBad;
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(first[1])));
  // The handle after a colon, else in the next argument.
  std::string handle;
  std::size_t used = 1;
  if (first.size() > 2) {
    if (first[2] != ':') return kBad;
    handle = first.substr(3);
    if (handle.empty()) return kBad;
  } else if (args.size() > 1 && (letter == 'p' || letter == 'c')) {
    handle = args[1];
    used = 2;
  }
  if (args.size() > used) return kBad;
  switch (letter) {
    case 's':
      if (!handle.empty()) return kBad;
      request->mode = LaunchRequest::Mode::OwnWindow;
      return kRun;
    case 'a':
      return handle.empty() ? kNothing : kBad;
    case 'c':
      return handle.empty() || ParseWindowId(handle, &request->window) ? kRun : kBad;
    case 'p':
      if (!ParseWindowId(handle, &request->window)) return kBad;
      request->mode = LaunchRequest::Mode::Preview;
      return kRun;
    default:
      return kBad;
  }
}

}  // namespace coderain
