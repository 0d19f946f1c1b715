// The rules the running scene keeps between any two ticks, however long it
// runs. Shared by the soak test and the long soak tool (bench/soak_main.cpp).
#pragma once

#include <cstdint>
#include <sstream>
#include <string>

#include "core/app/form1.h"

namespace coderain::test {

// picWatch's rhythm: the wait in ms before the tick that runs `phase`, on
// the first build-up or on one after a game over, as the panel's schedule
// states it (not read from the phases that set the intervals).
inline std::int64_t WatchWait(int phase, bool afterGameOver) {
  // The last phase of each row, its wait on the first run and after a game
  // over; every phase past them waits 10 ms.
  constexpr int kSchedule[][3] = {{0, 1000, 1000}, {5, 125, 10}, {9, 100, 100}, {202, 10, 10}, {218, 50, 50}};
  for (const auto& row : kSchedule)
    if (phase <= row[0]) return row[afterGameOver ? 2 : 1];
  return 10;
}

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

  // The block panel waits before each phase as the worked example says,
  // on a first build-up or on one after a game over; its first tick runs
  // phase 0 and no later one does.
  const int phase = s.WatchPhase;
  const TimerHandle& watch = f.Blocks.timer;
  if (timers.TicksRun(watch.Id()) > 0 ? phase < 1 : phase != 0) {
    why << "WatchPhase " << phase << " after " << timers.TicksRun(watch.Id()) << " ticks";
    return why.str();
  }
  if (watch.Interval() != WatchWait(phase, false) && watch.Interval() != WatchWait(phase, true)) {
    why << "Timer" << watch.Id() << " interval " << watch.Interval() << " at WatchPhase " << phase;
    return why.str();
  }
  if (s.GameOver != 0 && s.GameOver != -1) return "GameOver neither 0 nor -1";
  if (s.GameOver == -1 && phase != 1) return "a game over not followed by phase 1";

  // The grid: column 12 and row 24 stay empty; in each column the blocks
  // stand on the floor without gaps, and no two touching ones share a
  // colour. Before the first reset the grid is still all zero.
  const bool reset = timers.TicksRun(watch.Id()) > 1;
  for (int c = 0; c < kGridColumns; ++c) {
    bool above = false;  // a block stands higher up in this column
    for (int r = 0; r < kGridRows; ++r) {
      const GridCell& cell = s.BlockGrid[c][r];
      const bool filled = cell.Filled == kTrue;
      if (cell.Filled != kTrue && cell.Filled != kFalse) {
        why << "cell (" << c << ", " << r << ") Filled " << cell.Filled;
        return why.str();
      }
      if (filled && (c >= kFieldColumns || r > kFloorRow)) {
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
    if (above && !s.BlockGrid[c][kFloorRow].Filled) {
      why << "column " << c << " does not stand on the floor";
      return why.str();
    }
  }
  if (s.BlockFalling == kTrue &&
      (s.BlockColumn < 0 || s.BlockColumn >= kFieldColumns || s.BlockRow < 0 || s.BlockRow > kFloorRow ||
       s.BlockColor < 0 || s.BlockColor > 3 || s.BlockGrid[s.BlockColumn][s.BlockRow].Filled == kTrue)) {
    why << "falling block at (" << s.BlockColumn << ", " << s.BlockRow << ") colour " << s.BlockColor;
    return why.str();
  }

  // During a game the panel shows the grid: the middle of every cell's box
  // has the green of its block or of the block in play, else the dark of
  // the swept interior (where it lies on the screen).
  if (phase >= kFirstGamePhase) {
    const Rect area = f.picWatch.DrawArea();
    for (int c = 0; c < kFieldColumns; ++c)
      for (int r = 0; r <= kFloorRow; ++r) {
        const GridCell& cell = s.BlockGrid[c][r];
        int colour = cell.Filled == kTrue ? cell.ColorIndex : -1;
        if (s.BlockFalling == kTrue && c == s.BlockColumn && r == s.BlockRow) colour = s.BlockColor;
        const Color want = colour < 0 ? PanelDark : f.GreenPalette[static_cast<std::size_t>(colour)];
        const Point mid{area.x + CellBox(c, r).a.x + 7, area.y + CellBox(c, r).a.y + 7};
        if (f.Framebuffer.Bounds().Contains(mid) && f.Framebuffer.Pixel(mid.x, mid.y) != want) {
          why << "cell (" << c << ", " << r << ") of picWatch shows 0x" << std::hex
              << f.Framebuffer.Pixel(mid.x, mid.y);
          return why.str();
        }
      }
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
  for (const CodePanel& p : f.CodePanels) {
    const int interval = p.timer.Interval();
    const bool ticked = timers.TicksRun(p.timer.Id()) > 0;
    const bool fits = p.paused == kTrue ? interval >= p.pauseBase && interval <= 3 * p.pauseBase
                                        : p.paused == kFalse && (interval == kTimerStartIntervals[p.timer.Id() - 1] ||
                                                                 interval == p.runInterval);
    if (p.started != (ticked ? 1 : 0) || !fits) {
      why << "Timer" << p.timer.Id() << " interval " << interval << " with started " << p.started << ", paused "
          << p.paused;
      return why.str();
    }
  }

  // Every other timer keeps its starting interval.
  for (int id = 1; id <= timers.Count(); ++id) {
    bool ownsItsInterval = id == watch.Id();
    for (const CodePanel& p : f.CodePanels) ownsItsInterval = ownsItsInterval || id == p.timer.Id();
    if (!ownsItsInterval && timers.Interval(id) != kTimerStartIntervals[id - 1]) {
      why << "Timer" << id << " interval " << timers.Interval(id) << ", not " << kTimerStartIntervals[id - 1];
      return why.str();
    }
  }
  return "";
}

}  // namespace coderain::test
