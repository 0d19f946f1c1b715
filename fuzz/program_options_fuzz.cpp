// Fuzzes coderain's command line. The input is the argument list, the
// arguments separated by NUL bytes. Whatever it holds, parsing must end with
// the help or the version (status 0) or with one printable line on stderr
// (status 1 or 2), or give a request that keeps every rule the program
// relies on; and a scale must come from plain digits.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "arguments.h"
#include "core/run/output_fit.h"
#include "core/run/program_options.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "program options: %s\n", what);
  std::abort();
}

bool PlainDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// Whether some argument gives --scale as plain digits whose value is `scale`.
bool ScaleGivenInDigits(const std::vector<std::string>& args, int scale) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string_view a = args[i];
    if (a.size() < 2 || a[0] != '-') continue;
    a.remove_prefix(a[1] == '-' ? 2 : 1);
    std::string_view value;
    if (a.starts_with("scale=")) {
      value = a.substr(6);
    } else if (a == "scale" && i + 1 < args.size()) {
      value = args[i + 1];
    } else {
      continue;
    }
    if (!PlainDigits(value)) continue;
    while (value.size() > 1 && value[0] == '0') value.remove_prefix(1);
    if (value.size() < 10 && std::atoi(std::string(value).c_str()) == scale) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args{"coderain"};
  for (std::string& a : SplitArguments(data, size, 63)) args.push_back(std::move(a));
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);

  coderain::LaunchRequest o;
  std::ostringstream out, err;
  const int status = coderain::ParseProgramOptions(static_cast<int>(args.size()), argv.data(), &o, out, err);
  const std::string said = err.str();
  // Everything said is lines of the program's own that a terminal shows as
  // they stand: notes of what it sets aside (an option it does not know,
  // one the mode cannot use), then, where it fails, the failure.
  for (std::size_t start = 0; start < said.size();) {
    const std::size_t end = said.find('\n', start);
    if (end == std::string::npos) Fail("a line without its end");
    const std::string_view line(said.data() + start, end - start);
    if (!line.starts_with("coderain: ")) Fail("a line that is not the program's");
    if (line.size() > 400) Fail("a line past 400 bytes");
    for (char c : line)
      if (!std::isprint(static_cast<unsigned char>(c))) Fail("a line with a byte a terminal acts on");
    start = end + 1;
  }
  if (status == 0) {
    if (out.str().empty()) Fail("status 0 without the help or the version");
    return 0;
  }
  if (status == 1 || status == 2) {
    if (said.empty()) Fail("a failure without its line");
    return 0;
  }
  if (status != -1) Fail("an exit status other than -1, 0, 1 or 2");

  using Mode = coderain::LaunchRequest::Mode;
  if (o.mode == Mode::OwnWindow && (o.window != 0 || o.daemonWindow)) Fail("its own window, and a window to draw in");
  if (o.mode == Mode::LentWindow && o.daemonWindow == (o.window != 0)) Fail("a lent window, none or two named");
  if (o.mode == Mode::Wallpaper && (o.window != 0 || o.daemonWindow || !o.everyMonitor))
    Fail("a wallpaper in a window, or not on every monitor");
  if (o.mode != Mode::OwnWindow && o.mode != Mode::LentWindow && o.mode != Mode::Wallpaper)
    Fail("a mode of the screen saver's");
  if (o.rate.fps < 1 || o.rate.fps > coderain::FrameRate::kMaxFps) Fail("a frame rate past its limits");
  if (o.rate.batteryFps < coderain::FrameRate::kHalfOnBattery || o.rate.batteryFps > coderain::FrameRate::kMaxFps)
    Fail("a rate on battery past its limits");
  if (o.rate.Cap(true) < 1 || o.rate.Cap(true) > o.rate.fps) Fail("more frames on battery than on mains");
  if (o.scale != 0 && (o.scale < 1 || o.scale > coderain::kMaxScale)) Fail("a scale past its limits");
  if (o.scale != 0 && !ScaleGivenInDigits(args, o.scale)) Fail("a scale not given in plain digits");
  if (o.output.size() > 64) Fail("an output's name past 64 bytes");
  for (char c : o.output)
    if (!std::isgraph(static_cast<unsigned char>(c))) Fail("an output's name with a blank or a control");
  if (o.dataDir.size() > 1 && o.dataDir.back() == '/') Fail("a folder with its trailing separator");
  return 0;
}
