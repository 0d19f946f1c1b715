// The rules the running scene keeps between any two ticks, however long it
// runs. Shared by the soak test and the long soak tool (bench/soak_main.cpp).
#pragma once

#include <cstdint>
#include <sstream>
#include <string>

#include "app/form1.h"
#include "rain/falling_streams.h"

namespace coderain::test {

// Returns "" when every rule holds, else the first one broken, with the
// values that break it.
inline std::string SceneInvariantBroken(Form1& f) {
  std::ostringstream why;
  const TimerScheduler& timers = f.Timers;
  const SceneState& s = f.State;

  // Every stream stands on the digit grid, inside the window's width and no
  // deeper than its restart depth.
  const double depth = RestartDepth(f.WindowSurface);
  for (int i = 0; i < kStreamCount; ++i) {
    const RainStream& r = s.Streams[i];
    if (r.X % 15 != 0 || r.OldX % 15 != 0 || r.X < 0 || r.OldX < 0 || r.X >= f.ScreenWidthPx ||
        r.OldX >= f.ScreenWidthPx || r.Y % 18 != 0 || r.Y < 0 || r.Y > depth) {
      why << "stream " << i << " off the grid: X " << r.X << ", Y " << r.Y << ", OldX " << r.OldX;
      return why.str();
    }
  }

  if (timers.TicksRun(1) > 0 && s.BurstDone != kTrue) return "BurstDone not set after the first burst";

  // The block panel: its phase and interval go together.
  const int phase = s.WatchPhase;
  const int watchInterval = timers.Interval(14);
  bool intervalFits = false;
  if (timers.TicksRun(14) == 0) {
    intervalFits = phase == 0 && watchInterval == 1000;
  } else if (phase < 1) {
    why << "WatchPhase " << phase << " after a Timer14 tick";
    return why.str();
  } else if (phase <= 5) {
    intervalFits = watchInterval == 125 || watchInterval == 10;  // first run; after a game over
  } else if (phase <= 9) {
    intervalFits = watchInterval == 100;
  } else if (phase <= 202) {
    intervalFits = watchInterval == 10;
  } else if (phase <= 218) {
    intervalFits = watchInterval == 50;
  } else {
    intervalFits = watchInterval == 10;
  }
  if (!intervalFits) {
    why << "Timer14 interval " << watchInterval << " at WatchPhase " << phase;
    return why.str();
  }
  if (s.GameOver != 0 && s.GameOver != -1) return "GameOver neither 0 nor -1";
  if (s.GameOver == -1 && phase != 1) return "a game over not followed by phase 1";

  // The grid: column 12 and row 24 stay empty; in each column the blocks
  // stand on the floor without gaps, and no two touching ones share a
  // colour. Before the first reset the grid is still all zero.
  const bool reset = timers.TicksRun(14) > 1;
  for (int c = 0; c < kGridColumns; ++c) {
    bool above = false;  // a block stands higher up in this column
    for (int r = 0; r < kGridRows; ++r) {
      const GridCell& cell = s.BlockGrid[c][r];
      const bool filled = cell.Filled == kTrue;
      if (cell.Filled != kTrue && cell.Filled != kFalse) {
        why << "cell (" << c << ", " << r << ") Filled " << cell.Filled;
        return why.str();
      }
      if (filled && (c == 12 || r == 24)) {
        why << "cell (" << c << ", " << r << ") filled outside the field";
        return why.str();
      }
      if (filled ? (cell.ColorIndex < 0 || cell.ColorIndex > 3) : (reset && cell.ColorIndex != -1)) {
        why << "cell (" << c << ", " << r << ") Filled " << cell.Filled << " with ColorIndex " << cell.ColorIndex;
        return why.str();
      }
      if (above && !filled && r < kGridRows - 1) {
        why << "a gap in column " << c << " at row " << r;
        return why.str();
      }
      if (filled && r + 1 < kGridRows && s.BlockGrid[c][r + 1].Filled == kTrue &&
          s.BlockGrid[c][r + 1].ColorIndex == cell.ColorIndex) {
        why << "cells (" << c << ", " << r << ") and (" << c << ", " << r + 1 << ") share colour " << cell.ColorIndex;
        return why.str();
      }
      above = above || filled;
    }
    if (above && !s.BlockGrid[c][23].Filled) {
      why << "column " << c << " does not stand on the floor";
      return why.str();
    }
  }
  if (s.BlockFalling == kTrue &&
      (s.BlockColumn < 0 || s.BlockColumn > 11 || s.BlockRow < 0 || s.BlockRow > 23 || s.BlockColor < 0 ||
       s.BlockColor > 3 || s.BlockGrid[s.BlockColumn][s.BlockRow].Filled == kTrue)) {
    why << "falling block at (" << s.BlockColumn << ", " << s.BlockRow << ") colour " << s.BlockColor;
    return why.str();
  }

  // The message: typing, holding and at most 76 wipe rectangles.
  const int len = static_cast<int>(f.MessageText.size());
  if (s.MessagePos < 0 || s.MessagePos > len + 101 || s.WipeBottom < 0 || s.WipeBottom > 1 + 5 * 76 ||
      (s.WipeDone != kTrue && s.WipeDone != kFalse)) {
    why << "MessagePos " << s.MessagePos << ", WipeBottom " << s.WipeBottom << ", WipeDone " << s.WipeDone;
    return why.str();
  }

  // The code panels: started for good after their first tick; paused just
  // while their timer waits a pause.
  struct CodePanel {
    int timer;
    std::int32_t started;
    std::int16_t paused;
    int firstInterval, runInterval, pauseBase;
  };
  const CodePanel panels[] = {{6, s.AsmPanelStarted, s.AsmPanelPaused, 10, 15, 400},
                              {11, s.CPanelStarted, s.CPanelPaused, 50, 25, 500},
                              {12, s.VbPanelStarted, s.VbPanelPaused, 100, 50, 1000}};
  for (const CodePanel& p : panels) {
    const int interval = timers.Interval(p.timer);
    const bool ticked = timers.TicksRun(p.timer) > 0;
    const bool fits = p.paused == kTrue
                          ? interval >= p.pauseBase && interval <= 3 * p.pauseBase
                          : p.paused == kFalse && (interval == p.firstInterval || interval == p.runInterval);
    if (p.started != (ticked ? 1 : 0) || !fits) {
      why << "Timer" << p.timer << " interval " << interval << " with started " << p.started << ", paused " << p.paused;
      return why.str();
    }
  }

  // Every other timer keeps its starting interval.
  constexpr int kFixed[][2] = {{1, 10}, {2, 15}, {3, 21},  {4, 27},  {5, 33}, {7, 57},
                               {8, 51}, {9, 45}, {10, 39}, {13, 10}, {15, 40}};
  for (const auto& [id, ms] : kFixed) {
    if (timers.Interval(id) != ms) {
      why << "Timer" << id << " interval " << timers.Interval(id) << ", not " << ms;
      return why.str();
    }
  }
  return "";
}

}  // namespace coderain::test
