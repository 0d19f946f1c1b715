// What a video is made of: the scene on a virtual clock, the video file
// and the progress line.
#include <gtest/gtest.h>
#include <stdio.h>

#include <cstdlib>
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

TEST(VideoFileTest, ASizeTheCodecRefusesIsStatusTwoAndLeavesNothing) {
  struct Case {
    const char* name;
    int w, h, status;
  };
  for (const Case& c : {Case{"v.mp4", 1023, 768, 2},
                        {"v.mp4", 64, 47, 2},
                        {"v.mp4", 2, 2, 0},
                        {"v.webm", 63, 47, 0},
                        {"v.mkv", 1, 1, 0}}) {
    test::TempDir dir;
    VideoFile video;
    std::string error;
    const int status = video.Open((dir.Path() / c.name).string(), c.w, c.h, 30, &error);
    EXPECT_EQ(status, c.status) << c.name << " " << error;
    if (status == 2) {
      EXPECT_NE(error.find("H.264"), std::string::npos) << error;
      EXPECT_NE(error.find(std::to_string(c.w) + "x" + std::to_string(c.h)), std::string::npos) << error;
    } else {
      EXPECT_TRUE(video.Add(Picture(c.w, c.h), &error)) << error;
      video.Abandon();
    }
    EXPECT_TRUE(Files(dir.Path()).empty()) << c.name;
  }
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

// What the progress of `frames` frames, made one a ms apart, tells.
std::string Told(bool terminal, bool quiet, std::int64_t frames) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  {
    Progress progress(quiet ? nullptr : out, terminal, frames, "v.webm");
    for (std::int64_t i = 0; i < frames; ++i) progress.Made(i + 1, 1000 + i);
    progress.Finished();
  }
  std::fclose(out);
  std::string told(text, size);
  std::free(text);
  return told;
}

TEST(ProgressTest, ALineInPlaceOnATerminalASummaryElsewhere) {
  const std::string tty = Told(true, false, 500);
  EXPECT_EQ(tty.rfind("\rcoderain-render: frame 1 of 500 (0 %), scene at 1.0 s, ", 0), 0u) << tty;
  const std::string last = tty.substr(tty.rfind('\r'));
  EXPECT_EQ(last.rfind("\rcoderain-render: frame 500 of 500 (100 %), scene at 1.4 s, ", 0), 0u) << last;
  EXPECT_EQ(tty.find('\n'), tty.size() - 1) << tty;

  const std::string pipe = Told(false, false, 500);
  EXPECT_EQ(pipe.rfind("coderain-render: wrote v.webm: 500 frames, the scene from 1000 ms to 1499 ms, in ", 0), 0u);
  EXPECT_EQ(pipe.find('\n'), pipe.size() - 1) << pipe;
  EXPECT_EQ(Told(true, true, 500), "");
  EXPECT_EQ(Told(false, true, 500), "");
}

TEST(ProgressTest, TimesAsALineShowsThem) {
  for (const auto& [seconds, shown] :
       {std::pair{0.06, "0.0 s"}, {59.99, "59.9 s"}, {61.5, "1:01"}, {3723.0, "1:02:03"}})
    EXPECT_EQ(ShownTime(seconds), shown) << seconds;
}

}  // namespace
}  // namespace coderain
