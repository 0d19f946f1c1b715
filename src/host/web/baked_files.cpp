// Files in a build with no file system: the text files baked at build time
// (baked.h), found by name whatever folder the path gives.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/base/byte_source.h"
#include "core/base/program_directory.h"
#include "host/web/baked.h"

namespace coderain {

namespace {

class BakedBytes : public ByteSource {
 public:
  explicit BakedBytes(const baked::File& file) : file_(file) {}

  std::ptrdiff_t Read(char* buffer, std::size_t n) override {
    const std::size_t got = std::min(n, file_.size - at_);
    std::memcpy(buffer, file_.bytes + at_, got);
    at_ += got;
    return static_cast<std::ptrdiff_t>(got);
  }
  void Rewind() override { at_ = 0; }

 private:
  const baked::File& file_;
  std::size_t at_ = 0;
};

}  // namespace

// The page's files stand in a folder of their own, the root.
std::string ProgramDirectory() { return "/"; }

std::unique_ptr<ByteSource> OpenByteSource(const std::string& path, std::string* error) {
  const std::string name = path.substr(path.find_last_of('/') + 1);
  for (std::size_t i = 0; i < baked::kFileCount; ++i)
    if (name == baked::kFiles[i].name) return std::make_unique<BakedBytes>(baked::kFiles[i]);
  if (error) *error = "No such file or directory";
  return nullptr;
}

}  // namespace coderain
