// The renderer binary, run as other checks run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "image_files.h"
#include "picture_check.h"
#include "state_json.h"
#include "test_support.h"

namespace coderain {
namespace {

struct Result {
  int status = -1;
  std::string err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string ReadText(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

Result RunRender(const test::TempDir& dir, const std::vector<std::string>& args) {
  std::string command = Quote(CODERAIN_RENDER_BINARY);
  for (const std::string& a : args) command += " " + Quote(a);
  const std::filesystem::path errFile = dir.Path() / "stderr.txt";
  command += " >/dev/null 2>" + Quote(errFile.string());
  const int rc = std::system(command.c_str());
  Result r;
  r.status = rc != -1 && WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  r.err = ReadText(errFile);
  return r;
}

std::string RegularFont() { return test::PinnedFontFiles().regular; }

// The scene the renderer runs with --font and --seed, built in-process.
struct RegularFontScene {
  explicit RegularFontScene(int w, int h, std::uint64_t seed) : framebuffer(w, h), random(seed) {
    SceneFonts fonts;
    std::string error;
    if (!fonts.Load(FontFaces{RegularFont(), ""}, &error)) ADD_FAILURE() << error;
    form = std::make_unique<Form1>(&framebuffer, std::move(fonts), &random, CODERAIN_TEST_DATA, 0);
    if (!form->Start(&error)) ADD_FAILURE() << error;
  }
  Bitmap framebuffer;
  SeededRandom random;
  std::unique_ptr<Form1> form;
};

using test::SamePixels;

TEST(RenderCliTest, BadOptionsGiveTheUsageAndExitTwo) {
  test::TempDir dir;
  const std::string out = (dir.Path() / "f.png").string();
  std::vector<std::vector<std::string>> cases = {{},
                                                 {"--at", "10"},
                                                 {"--out", out},
                                                 {"--at", "--out", out},
                                                 {"--at", "10", "--out", out, "--bogus"},
                                                 {"--at", "10", "--gif", "0:10:5", "--out", out},
                                                 {"--size", "7x48", "--scale", "8", "--at", "10", "--out", out}};
  // One bad value in a render otherwise good (the last three: whole numbers
  // are plain ASCII digits and nothing else).
  const std::pair<const char*, const char*> badValues[] = {
      {"--size", "100"}, {"--size", "0x50"}, {"--size", "64x48x"}, {"--size", "99999x48"},
      {"--seed", "-1"},  {"--seed", "one"},  {"--scale", "0"},     {"--scale", "9"},
      {"--scale", "x"},  {"--scale", " 2"},  {"--scale", "+3"},    {"--seed", "+1"}};
  for (const auto& [option, value] : badValues) cases.push_back({option, value, "--at", "10", "--out", out});
  // Times and spans it refuses, several times for one file among them.
  const std::pair<const char*, const char*> badTimes[] = {
      {"--at", "5,abc"},   {"--at", "-5"},      {"--at", "5,,6"},  {"--at", "10,20"},      {"--at", "-0"},
      {"--gif", "10:5:1"}, {"--gif", "0:10:0"}, {"--gif", "0:10"}, {"--gif", "0:100000:1"}};
  for (const auto& [option, value] : badTimes) cases.push_back({option, value, "--out", out});
  // Videos: a kind of file, a span of at least one frame, a rate.
  const std::string video = (dir.Path() / "f.webm").string();
  const std::vector<std::string> badVideos[] = {{"--video", video},
                                                {"--video", out, "--to", "10"},
                                                {"--video", video, "--to", "10", "--fps", "0"},
                                                {"--video", video, "--to", "10", "--fps", "61"},
                                                {"--video", video, "--to", "20"},
                                                {"--video", video, "--from", "10", "--to", "10"},
                                                {"--video", video, "--to", "10", "--out", out},
                                                {"--video", video, "--to", "10", "--at", "5"},
                                                {"--to", "10", "--at", "5", "--out", out}};
  cases.insert(cases.end(), std::begin(badVideos), std::end(badVideos));
  for (const auto& args : cases) {
    std::string shown;
    for (const auto& a : args) shown += a + " ";
    const Result r = RunRender(dir, args);
    EXPECT_EQ(r.status, 2) << shown;
    EXPECT_EQ(r.err.rfind("coderain-render: ", 0), 0u) << shown << "\n" << r.err;
    EXPECT_NE(r.err.find("\nusage: coderain-render [--size WxH]"), std::string::npos) << shown << "\n" << r.err;
  }
  // Nothing written but the runs' stderr.
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    EXPECT_EQ(entry.path().filename(), "stderr.txt");
}

TEST(RenderCliTest, StartupFailuresGiveTheProgramsOneLineAndExitOne) {
  test::TempDir dir;
  const std::string out = (dir.Path() / "f.png").string(), data = dir.Path().string();
  const std::string noFont = (dir.Path() / "no-such-font.ttf").string();
  const std::string badOut = (dir.Path() / "none" / "f.png").string();
  // Each line names what failed; where the program words it itself, `whole`:
  // the line is just that.
  struct Case {
    std::string data, font, out, named;
    bool whole;
  };
  const Case cases[] = {
      {data, RegularFont(), out, "cannot open source file " + data + "/codeASM.txt: No such file or directory", true},
      {CODERAIN_TEST_DATA, noFont, out, noFont, false},
      {CODERAIN_TEST_DATA, RegularFont(), badOut, "cannot write " + badOut + ": No such file or directory", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    const Result r =
        RunRender(dir, {"--data", c.data, "--font", c.font, "--size", "64x48", "--at", "0", "--out", c.out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("coderain-render: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    if (c.whole) {
      EXPECT_EQ(r.err, "coderain-render: " + c.named + "\n");
    }
    EXPECT_FALSE(std::filesystem::exists(c.out));
  }
}

TEST(RenderCliTest, FramesAndStatesAreThoseOfTheSceneAtEachTime) {
  test::TempDir dir;
  const std::string pattern = (dir.Path() / "f%d.png").string();
  // Times in any order; the clock only runs forwards.
  const Result r = RunRender(dir, {"--size", "400x300", "--seed", "7", "--data", CODERAIN_TEST_DATA, "--font",
                                   RegularFont(), "--at", "1000,0,35", "--out", pattern, "--dump-state"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");

  RegularFontScene scene(400, 300, 7);
  for (std::int64_t t : {0, 35, 1000}) {
    SCOPED_TRACE(t);
    scene.form->RunUntil(t);
    const std::filesystem::path png = dir.Path() / ("f" + std::to_string(t) + ".png");
    EXPECT_TRUE(SamePixels(test::ReadPng(png.string()), scene.framebuffer));
    const nlohmann::ordered_json state =
        nlohmann::ordered_json::parse(ReadText(dir.Path() / ("f" + std::to_string(t) + ".json")));
    EXPECT_EQ(state, SceneJson(*scene.form));
  }
}

TEST(RenderCliTest, AScaledPictureIsTheSmallerSceneInBlocks) {
  test::TempDir dir;
  const std::string out = (dir.Path() / "f.png").string();
  // 401 x 301 at scale 2: a scene of 200 x 150, a column and a row left over.
  const Result r = RunRender(dir, {"--size", "401x301", "--scale", "2", "--seed", "3", "--data", CODERAIN_TEST_DATA,
                                   "--font", RegularFont(), "--at", "1500", "--out", out});
  ASSERT_EQ(r.status, 0) << r.err;
  const Bitmap picture = test::ReadPng(out);
  ASSERT_EQ(picture.Width(), 401);
  ASSERT_EQ(picture.Height(), 301);
  RegularFontScene scene(200, 150, 3);
  scene.form->RunUntil(1500);
  EXPECT_EQ(test::FirstDifference(
                picture, picture.Bounds(),
                [&](int x, int y) { return x < 400 && y < 300 ? scene.framebuffer.Pixel(x / 2, y / 2) : kBlack; }),
            "");
}

TEST(RenderCliTest, GifSpanEndsOnTheSceneAtItsLastTime) {
  test::TempDir dir;
  const std::string out = (dir.Path() / "span.gif").string();
  // Without --data the renderer reads the files beside itself.
  const Result r = RunRender(dir, {"--size", "320x240", "--font", RegularFont(), "--gif", "0:100:20", "--out", out});
  ASSERT_EQ(r.status, 0) << r.err;

  const test::ShownGif shown = test::ReadGif(out);
  ASSERT_FALSE(shown.frames.empty());
  // Six frames of 20 ms, however many were merged.
  EXPECT_EQ(std::accumulate(shown.delaysCs.begin(), shown.delaysCs.end(), 0), 12);

  RegularFontScene scene(320, 240, 1);
  scene.form->RunUntil(100);
  EXPECT_TRUE(SamePixels(shown.frames.back(), scene.framebuffer));
}

}  // namespace
}  // namespace coderain
