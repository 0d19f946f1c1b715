#include "state_json.h"

#include <gtest/gtest.h>

#include <fstream>
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

TEST(StateJsonTest, DumpHoldsEveryFieldInOrderWithItsStoredValue) {
  test::Scene scene(320, 240);
  ASSERT_TRUE(scene.started) << scene.error;
  SceneState& s = scene->State;
  s.BurstDone = kTrue;
  s.CPanelStarted = 1;
  s.VbPanelPaused = kTrue;
  s.WatchPhase = 7;
  s.BlockGrid[12][24] = {kTrue, 3};
  s.BlockGrid[0][1] = {kFalse, -1};
  s.BlockColumn = 5;
  s.GameOver = 1;
  s.WipeBottom = -12;
  s.Streams[7] = {105, 36, 90};
  s.AsmPanelPaused = kTrue;

  const nlohmann::ordered_json j = SceneJson(*scene);
  EXPECT_EQ(Keys(j), (std::vector<std::string>{
                         "BurstDone", "CPanelStarted", "CPanelPaused", "VbPanelStarted", "VbPanelPaused", "WatchPhase",
                         "BlockGrid", "BlockFalling", "BlockColumn", "BlockRow", "BlockColor", "GameOver", "MessagePos",
                         "WipeDone", "WipeBottom", "Streams", "AsmPanelStarted", "AsmPanelPaused", "Intervals"}));
  EXPECT_EQ(j["BurstDone"], -1);
  EXPECT_EQ(j["CPanelStarted"], 1);
  EXPECT_EQ(j["CPanelPaused"], 0);
  EXPECT_EQ(j["VbPanelPaused"], -1);
  EXPECT_EQ(j["WatchPhase"], 7);
  EXPECT_EQ(j["BlockColumn"], 5);
  EXPECT_EQ(j["GameOver"], 1);
  EXPECT_EQ(j["WipeBottom"], -12);
  EXPECT_EQ(j["AsmPanelPaused"], -1);

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
