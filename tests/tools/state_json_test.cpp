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

TEST(StateJsonTest, DumpAndItsFileHoldEveryFieldWithItsStoredValue) {
  test::Scene scene(320, 240);
  ASSERT_TRUE(scene.started) << scene.error;
  SceneState& s = scene->State;
  s.BlockGrid[12][24] = {kTrue, 3};
  s.BlockGrid[0][1] = {kFalse, -1};
  s.Streams[7] = {105, 36, 90};
  // Each number field, set to a value of its own as the table is built.
  const std::pair<const char*, int> fields[] = {{"BurstDone", s.BurstDone = kTrue},
                                                {"CPanelStarted", s.CPanelStarted = 1},
                                                {"CPanelPaused", s.CPanelPaused = 0},
                                                {"VbPanelStarted", s.VbPanelStarted = 1},
                                                {"VbPanelPaused", s.VbPanelPaused = kTrue},
                                                {"WatchPhase", s.WatchPhase = 7},
                                                {"BlockFalling", s.BlockFalling = kTrue},
                                                {"BlockColumn", s.BlockColumn = 5},
                                                {"BlockRow", s.BlockRow = 23},
                                                {"BlockColor", s.BlockColor = 2},
                                                {"GameOver", s.GameOver = 1},
                                                {"MessagePos", s.MessagePos = 344},
                                                {"WipeDone", s.WipeDone = kTrue},
                                                {"WipeBottom", s.WipeBottom = -12},
                                                {"AsmPanelStarted", s.AsmPanelStarted = 1},
                                                {"AsmPanelPaused", s.AsmPanelPaused = kTrue}};
  const nlohmann::ordered_json j = SceneJson(*scene);
  // The number fields, the grid, the streams and the intervals.
  EXPECT_EQ(j.size(), std::size(fields) + 3);
  for (const auto& [key, value] : fields) EXPECT_EQ(j[key], value) << key;

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

  test::TempDir dir;
  const std::string path = (dir.Path() / "state.json").string();
  std::string error;
  ASSERT_TRUE(WriteSceneJson(path, *scene, &error)) << error;
  std::ifstream in(path);
  EXPECT_EQ(nlohmann::ordered_json::parse(in), j);
  const std::string missing = (dir.Path() / "none" / "state.json").string();
  EXPECT_FALSE(WriteSceneJson(missing, *scene, &error));
  EXPECT_EQ(error, "cannot write " + missing + ": No such file or directory");
}

TEST(StateJsonTest, IntervalsFollowTheTimersAsTheyChange) {
  test::Scene scene(320, 240);
  ASSERT_TRUE(scene.started) << scene.error;
  scene->Timers.SetInterval(14, 250);
  // The starting intervals, Timer14's changed.
  nlohmann::ordered_json want;
  int id = 0;
  for (int ms : {10, 15, 21, 27, 33, 10, 57, 51, 45, 39, 50, 100, 10, 250, 40})
    want["Timer" + std::to_string(++id)] = ms;
  EXPECT_EQ(SceneJson(*scene)["Intervals"], want);
}

}  // namespace
}  // namespace coderain
