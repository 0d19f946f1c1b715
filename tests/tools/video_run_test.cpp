// What a video is made of: the scene on a virtual clock, the video file
// and the progress line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/scene_run.h"
#include "picture_check.h"
#include "picture_display.h"
#include "progress.h"
#include "state_json.h"
#include "test_support.h"
#include "video_file.h"

namespace coderain {
namespace {

std::vector<std::string> Files(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The picture and the state of a run moved to `to` by steps of `step` ms.
struct Stepped {
  Stepped(int width, int height, std::int64_t to, std::int64_t step) {
    std::string error;
    run = std::make_unique<VirtualRun>(&display, CODERAIN_TEST_DATA, 7, FontFaces{test::PinnedFontFiles().regular, ""});
    if (!display.Open(width, height, 0, &error) || !run->Start(&error)) {
      ADD_FAILURE() << error;
      return;
    }
    for (std::int64_t t = 0; t < to; t += step) run->RunTo(t);
    run->RunTo(to);
    display.PresentAll(0);
    state = SceneJson(run->Scene(0));
  }
  PictureDisplay display;
  std::unique_ptr<VirtualRun> run;
  nlohmann::ordered_json state;
};

TEST(VirtualRunTest, TheSceneAtATimeIsTheSameHoweverTheClockGotThere) {
  for (const auto& [w, h, to] : {std::tuple{400, 300, 7001}, {320, 200, 30000}}) {
    SCOPED_TRACE(to);
    const Stepped once(w, h, to, to);
    for (std::int64_t step : {1, 33, 1000}) {
      const Stepped steps(w, h, to, step);
      EXPECT_TRUE(test::SamePixels(steps.display.Picture(), once.display.Picture())) << step;
      EXPECT_EQ(steps.state, once.state) << step;
    }
  }
}

Bitmap Picture(int w, int h) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, Rgb(0, (x * 7 + y) & 255, 0));
  return b;
}

TEST(VideoFileTest, TheFileUnderItsNameIsOnlyEverAWholeVideo) {
  test::TempDir dir;
  const std::filesystem::path path = dir.Write("v.mkv", "what was there");
  std::string error;
  for (bool finish : {false, true}) {
    VideoFile video;
    ASSERT_EQ(video.Open(path.string(), 64, 48, 10, &error), 0) << error;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(video.Add(Picture(64, 48), &error)) << error;
    EXPECT_EQ(ReadAll(path), "what was there");
    EXPECT_EQ(Files(dir.Path()).size(), 2u);  // beside it, the video being written
    if (finish) {
      ASSERT_TRUE(video.Close(&error)) << error;
    }
  }
  EXPECT_EQ(Files(dir.Path()), std::vector<std::string>{"v.mkv"});
  EXPECT_EQ(ReadAll(path).substr(0, 4), "\x1A\x45\xDF\xA3");  // Matroska's mark
}

TEST(ProgressTest, TimesAsALineShowsThem) {
  for (const auto& [seconds, shown] :
       {std::pair{0.06, "0.0 s"}, {59.99, "59.9 s"}, {61.5, "1:01"}, {3723.0, "1:02:03"}})
    EXPECT_EQ(ShownTime(seconds), shown) << seconds;
}

}  // namespace
}  // namespace coderain
