#include "state_json.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace coderain {

// Every field must be written below; a field added to SceneState changes
// its size and stops the build here until it is.
static_assert(sizeof(SceneState) == 2760, "SceneState changed: add the new fields to SceneStateJson");

nlohmann::ordered_json SceneStateJson(const SceneState& s) {
  using nlohmann::ordered_json;
  ordered_json j;
  j["BurstDone"] = s.BurstDone;

  j["CPanelStarted"] = s.CPanelStarted;
  j["CPanelPaused"] = s.CPanelPaused;
  j["VbPanelStarted"] = s.VbPanelStarted;
  j["VbPanelPaused"] = s.VbPanelPaused;

  j["WatchPhase"] = s.WatchPhase;

  ordered_json grid = ordered_json::array();
  for (const auto& column : s.BlockGrid) {
    ordered_json cells = ordered_json::array();
    for (const GridCell& cell : column) {
      ordered_json c;
      c["Filled"] = cell.Filled;
      c["ColorIndex"] = cell.ColorIndex;
      cells.push_back(std::move(c));
    }
    grid.push_back(std::move(cells));
  }
  j["BlockGrid"] = std::move(grid);
  j["BlockFalling"] = s.BlockFalling;
  j["BlockColumn"] = s.BlockColumn;
  j["BlockRow"] = s.BlockRow;
  j["BlockColor"] = s.BlockColor;
  j["GameOver"] = s.GameOver;

  j["MessagePos"] = s.MessagePos;
  j["WipeDone"] = s.WipeDone;
  j["WipeBottom"] = s.WipeBottom;

  ordered_json streams = ordered_json::array();
  for (const RainStream& r : s.Streams) {
    ordered_json o;
    o["X"] = r.X;
    o["Y"] = r.Y;
    o["OldX"] = r.OldX;
    streams.push_back(std::move(o));
  }
  j["Streams"] = std::move(streams);

  j["AsmPanelStarted"] = s.AsmPanelStarted;
  j["AsmPanelPaused"] = s.AsmPanelPaused;
  return j;
}

nlohmann::ordered_json SceneJson(const Form1& form) {
  nlohmann::ordered_json j = SceneStateJson(form.State);
  nlohmann::ordered_json intervals;
  for (int id = 1; id <= form.Timers.Count(); ++id) intervals["Timer" + std::to_string(id)] = form.Timers.Interval(id);
  j["Intervals"] = std::move(intervals);
  return j;
}

bool WriteSceneJson(const std::string& path, const Form1& form, std::string* error) {
  const std::string text = SceneJson(form).dump(2) + "\n";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  out << text;
  out.close();
  if (!out) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace coderain
