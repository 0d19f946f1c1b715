#include "state_json.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

namespace coderain {
namespace {

std::vector<std::string> Keys(const nlohmann::ordered_json& j) {
  std::vector<std::string> keys;
  for (const auto& item : j.items()) keys.push_back(item.key());
  return keys;
}

TEST(StateJsonTest, DumpHoldsEveryFieldWithItsStoredValue) {
  test::Scene scene(320, 240);
  ASSERT_TRUE(scene.started) << scene.error;
  SceneState& s = scene->State;
  s.BlockGrid[12][24] = {kTrue, 3};
  s.BlockGrid[0][1] = {kFalse, -1};
  s.Streams[7] = {105, 36, 90};
  // Each number field, set to a value of its own.
  struct Field {
    const char* key;
    std::function<void(int)> set;
    int value;
  };
  const Field fields[] = {
      {"BurstDone", [&](int v) { s.BurstDone = static_cast<std::int16_t>(v); }, kTrue},
      {"CPanelStarted", [&](int v) { s.CPanelStarted = v; }, 1},
      {"CPanelPaused", [&](int v) { s.CPanelPaused = static_cast<std::int16_t>(v); }, 0},
      {"VbPanelStarted", [&](int v) { s.VbPanelStarted = v; }, 1},
      {"VbPanelPaused", [&](int v) { s.VbPanelPaused = static_cast<std::int16_t>(v); }, kTrue},
      {"WatchPhase", [&](int v) { s.WatchPhase = v; }, 7},
      {"BlockFalling", [&](int v) { s.BlockFalling = static_cast<std::int16_t>(v); }, kTrue},
      {"BlockColumn", [&](int v) { s.BlockColumn = v; }, 5},
      {"BlockRow", [&](int v) { s.BlockRow = v; }, 23},
      {"BlockColor", [&](int v) { s.BlockColor = v; }, 2},
      {"GameOver", [&](int v) { s.GameOver = v; }, 1},
      {"MessagePos", [&](int v) { s.MessagePos = v; }, 344},
      {"WipeDone", [&](int v) { s.WipeDone = static_cast<std::int16_t>(v); }, kTrue},
      {"WipeBottom", [&](int v) { s.WipeBottom = v; }, -12},
      {"AsmPanelStarted", [&](int v) { s.AsmPanelStarted = v; }, 1},
      {"AsmPanelPaused", [&](int v) { s.AsmPanelPaused = static_cast<std::int16_t>(v); }, kTrue},
  };
  for (const Field& f : fields) f.set(f.value);
  const nlohmann::ordered_json j = SceneJson(*scene);
  // The number fields, the grid, the streams and the intervals.
  EXPECT_EQ(j.size(), std::size(fields) + 3);
  for (const Field& f : fields) EXPECT_EQ(j[f.key], f.value) << f.key;

  // The grid by column, then row.
  const auto& grid = j["BlockGrid"];
  ASSERT_TRUE(grid.is_array());
  ASSERT_EQ(grid.size(), 13u);
  for (const auto& column : grid) {
    ASSERT_EQ(column.size(), 25u);
    for (const auto& cell : column) EXPECT_EQ(Keys(cell), (std::vector<std::string>{"Filled", "ColorIndex"}));
  }
  EXPECT_EQ(grid[12][24]["Filled"], -1);
  EXPECT_EQ(grid[12][24]["ColorIndex"], 3);
  EXPECT_EQ(grid[0][1]["ColorIndex"], -1);
  EXPECT_EQ(grid[1][0]["ColorIndex"], 0);

  const auto& streams = j["Streams"];
  ASSERT_EQ(streams.size(), 8u);
  for (const auto& stream : streams) EXPECT_EQ(Keys(stream), (std::vector<std::string>{"X", "Y", "OldX"}));
  EXPECT_EQ(streams[7]["X"], 105);
  EXPECT_EQ(streams[7]["Y"], 36);
  EXPECT_EQ(streams[7]["OldX"], 90);
}

TEST(StateJsonTest, IntervalsFollowTheTimersAsTheyChange) {
  test::Scene scene(320, 240);
  ASSERT_TRUE(scene.started) << scene.error;
  scene->Timers.SetInterval(14, 250);
  nlohmann::ordered_json intervals = SceneJson(*scene)["Intervals"];
  ASSERT_EQ(intervals.size(), 15u);
  int id = 1;
  for (const auto& item : intervals.items()) {
    EXPECT_EQ(item.key(), "Timer" + std::to_string(id));
    EXPECT_EQ(item.value(), scene->Timers.Interval(id));
    ++id;
  }
  EXPECT_EQ(intervals["Timer14"], 250);
}

TEST(StateJsonTest, WrittenFileReadsBackAsTheDump) {
  test::Scene scene(320, 240);
  ASSERT_TRUE(scene.started) << scene.error;
  scene->State.MessagePos = 42;
  test::TempDir dir;
  const std::string path = (dir.Path() / "state.json").string();
  std::string error;
  ASSERT_TRUE(WriteSceneJson(path, *scene, &error)) << error;
  std::ifstream in(path);
  const nlohmann::ordered_json back = nlohmann::ordered_json::parse(in);
  EXPECT_EQ(back, SceneJson(*scene));

  const std::string missing = (dir.Path() / "none" / "state.json").string();
  EXPECT_FALSE(WriteSceneJson(missing, *scene, &error));
  EXPECT_EQ(error, "cannot write " + missing + ": No such file or directory");
}

}  // namespace
}  // namespace coderain
