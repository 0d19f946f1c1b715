#include "main/web/page_options.h"

#include <gtest/gtest.h>

namespace coderain {
namespace {

struct Case {
  const char* fragment;
  std::optional<std::uint64_t> seed;
  std::optional<std::int64_t> atMs;
  int scale;
  bool wallpaper;
  std::size_t notes;
  bool stats = false;
  int fps = 60;
};

TEST(PageOptions, WholeNumbersInRangeCountAndAnythingElseIsSetAside) {
  const Case cases[] = {
      {"", {}, {}, 0, false, 0},
      {"#seed=7&at=30000", 7, 30000, 0, false, 0},
      {"seed=18446744073709551615&scale=8&wallpaper", UINT64_MAX, {}, 8, true, 0},
      {"stats&at=10", {}, 10, 0, false, 0, true},
      {"at=0&scale=1", {}, 0, 1, false, 0},
      {"at=3600000", {}, 3600000, 0, false, 0},
      {"&&seed=1&&", 1, {}, 0, false, 0},
      {"fps=15&at=10", {}, 10, 0, false, 0, false, 15},
      {"fps=1&seed=7&fps=60&seed=9", 9, {}, 0, false, 0},
      {"fps=0&fps=61&fps=&fps=1.5&seed=7&seed=x", 7, {}, 0, false, 5},
      // Not numbers, negative, huge, out of range, with trailing text.
      {"seed=abc&at=-5&scale=0", {}, {}, 0, false, 3},
      {"seed=18446744073709551616&at=3600001&scale=9", {}, {}, 0, false, 3},
      {"seed=+1&at=1e3&scale=2x&seed= 1", {}, {}, 0, false, 4},
      {"seed&at=&scale", {}, {}, 0, false, 3},
      // Names it does not know, a flag with a value; the rest stands.
      {"speed=3&wallpaper=1&stats=on&at=500", {}, 500, 0, false, 3},
      {"<script>=1&seed=2", 2, {}, 0, false, 1},
  };
  for (const Case& c : cases) {
    std::vector<std::string> notes;
    const PageOptions o = ParsePageOptions(c.fragment, &notes);
    SCOPED_TRACE(c.fragment);
    EXPECT_EQ(o.seed, c.seed);
    EXPECT_EQ(o.atMs, c.atMs);
    EXPECT_EQ(o.scale, c.scale);
    EXPECT_EQ(o.wallpaper, c.wallpaper);
    EXPECT_EQ(o.stats, c.stats);
    EXPECT_EQ(o.fps, c.fps);
    EXPECT_EQ(notes.size(), c.notes);
    for (const std::string& n : notes) EXPECT_EQ(n.rfind("coderain: ", 0), 0u) << n;
  }
}

TEST(PageOptions, AnAddressOfManyBadOptionsGetsACountNotALineEach) {
  std::string fragment;
  for (int i = 0; i < 10000; ++i) fragment += "x=" + std::string(100, '\x01') + "&";
  std::vector<std::string> notes;
  ParsePageOptions(fragment + "seed=3", &notes);
  ASSERT_EQ(notes.size(), 9u);
  EXPECT_NE(notes[0].find("x=????"), std::string::npos) << notes[0];
  EXPECT_LT(notes[0].size(), 120u);
  EXPECT_EQ(notes.back(), "coderain: 9992 more options ignored");
}

}  // namespace
}  // namespace coderain
