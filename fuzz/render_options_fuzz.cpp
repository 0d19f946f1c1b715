// Fuzzes the renderer's command line. The input is the argument list, the
// arguments separated by NUL bytes. Whatever it holds, parsing must end with
// the help (status 0), a usage error (status 2) or options that keep every
// limit the renderer relies on, and must throw nothing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "arguments.h"
#include "render_options.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "render options: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args{coderain::kRenderProgram};
  for (std::string& a : SplitArguments(data, size, 63)) args.push_back(std::move(a));
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);

  coderain::RenderOptions o;
  std::ostringstream out, err;
  const int status = coderain::ParseRenderOptions(static_cast<int>(args.size()), argv.data(), &o, out, err);
  if (status == 0) {
    if (out.str().empty()) Fail("status 0 without the help");
    return 0;
  }
  if (status == 2) {
    if (err.str().rfind("coderain-render: ", 0) != 0) Fail("a usage error that does not say what is wrong");
    return 0;
  }
  if (status != -1) Fail("an exit status other than 0, 2 or -1");

  if (o.width < 1 || o.height < 1 || o.width > coderain::kMaxSide || o.height > coderain::kMaxSide)
    Fail("a size past its limits");
  if (o.scale != 0 && (o.scale < 1 || o.scale > coderain::kMaxScale || o.width / o.scale < 1 || o.height / o.scale < 1))
    Fail("a scale past its limits");
  if (o.out.empty()) Fail("no output file");
  if (o.gif) {
    if (!o.times.empty()) Fail("both --gif and --at");
    if (o.gifFrom < 0 || o.gifTo > coderain::kMaxTimeMs || o.gifFrom > o.gifTo || o.gifStep < 1)
      Fail("a GIF span past its limits");
    if ((o.gifTo - o.gifFrom) / o.gifStep + 1 > coderain::kMaxGifFrames) Fail("too many GIF frames");
  } else {
    if (o.times.empty()) Fail("no time to render at");
    for (std::size_t i = 0; i < o.times.size(); ++i) {
      if (o.times[i] < 0 || o.times[i] > coderain::kMaxTimeMs) Fail("a time past its limits");
      if (i > 0 && o.times[i] <= o.times[i - 1]) Fail("times not ascending and distinct");
    }
    if (o.times.size() > 1 && o.out.find("%d") == std::string::npos) Fail("several times and one file");
  }
  return 0;
}
