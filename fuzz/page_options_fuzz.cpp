// Fuzzes the page's options, read from whatever address a user types
// after '#'. Whatever it holds, reading must keep every value in its range
// and say what it set aside in a few lines that begin "coderain: " and
// hold no control bytes, and must throw nothing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/gfx/frame_copy.h"
#include "main/web/page_options.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "page options: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view fragment(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> notes;
  const coderain::PageOptions o = coderain::ParsePageOptions(fragment, &notes);
  if (o.atMs && (*o.atMs < 0 || *o.atMs > coderain::kMaxPageAtMs)) Fail("a time past its limits");
  if (o.scale < 0 || o.scale > coderain::kMaxScale) Fail("a scale past its limits");
  // Eight lines and a count of the rest, at most.
  if (notes.size() > 9) Fail("a line for every option set aside");
  for (const std::string& n : notes) {
    if (n.rfind("coderain: ", 0) != 0) Fail("a line that does not say whose it is");
    if (n.size() > 200) Fail("a line that echoes too much");
    for (char c : n)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) Fail("a control byte in a line");
  }
  // Without a line, nothing was set aside: the same options again.
  if (notes.empty()) {
    const coderain::PageOptions again = coderain::ParsePageOptions(fragment, nullptr);
    if (again.seed != o.seed || again.atMs != o.atMs || again.scale != o.scale || again.wallpaper != o.wallpaper ||
        again.stats != o.stats)
      Fail("the same address read two ways");
  }
  return 0;
}
