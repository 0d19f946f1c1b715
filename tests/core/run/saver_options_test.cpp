#include "core/run/saver_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace coderain {
namespace {

TEST(SaverOptions, EveryFormWindowsUsesAndEveryMistake) {
  using M = LaunchRequest::Mode;
  struct Row {
    std::vector<std::string> args;
    int status;  // -1: runs
    M mode = M::Settings;
    std::uint64_t window = 0;
  } const rows[] = {
      {{}, -1},
      {{"/s"}, -1, M::OwnWindow},
      {{"-S"}, -1, M::OwnWindow},
      {{"/p", "1234"}, -1, M::Preview, 1234},
      {{"/P:0x2a"}, -1, M::Preview, 42},
      {{"-p", "7"}, -1, M::Preview, 7},
      {{"/c"}, -1},
      {{"/C:65800"}, -1, M::Settings, 65800},
      {{"/c", "99"}, -1, M::Settings, 99},
      {{"/a"}, 0},
      {{"/x"}, 2},
      {{"/p"}, 2},
      {{"/p", "garbage"}, 2},
      {{"/p:"}, 2},
      {{"/p", "0"}, 2},
      {{"/p", "-5"}, 2},
      {{"/s", "extra"}, 2},
      {{"/s:1"}, 2},
      {{"/saver"}, 2},
      {{"s"}, 2},
      {{"/"}, 2},
      {{"/c:x"}, 2},
  };
  for (const Row& r : rows) {
    std::string shown;
    for (const std::string& a : r.args) shown += a + " ";
    SCOPED_TRACE(shown);
    LaunchRequest request;
    ASSERT_EQ(ParseSaverArguments(r.args, &request), r.status);
    if (r.status != -1) continue;
    EXPECT_EQ(request.mode, r.mode);
    EXPECT_EQ(request.window, r.window);
  }
}

}  // namespace
}  // namespace coderain
