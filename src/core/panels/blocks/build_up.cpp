#include "core/panels/blocks/build_up.h"

#include <cmath>
#include <limits>

#include "core/panels/panel_frame.h"

namespace coderain {

namespace {

// The panel's outer size as laid out, read afresh by every phase that needs it.
struct WatchSize {
  int w;
  int h;
};

WatchSize ReadSize(const Panel& p) {
  return {static_cast<int>(std::floor(p.Width())), static_cast<int>(std::floor(p.Height()))};
}

// Edges traced one per tick, each drawn dim and lit at the next tick.
void TraceEdges(const BlockPanel& w, int phase) {
  Panel& p = w.game.picWatch;
  const WatchSize s = ReadSize(p);
  switch (phase) {
    case 1:
      p.DrawLine({0, 0}, {0, s.h}, kWatchDim);
      ResetGame(w.game);
      break;
    case 2:
      p.DrawLine({0, 0}, {0, s.h}, kWatchBright);
      p.DrawLine({0, 0}, {s.w, 0}, kWatchDim);
      break;
    case 3:
      p.DrawLine({0, 0}, {s.w, 0}, kWatchBright);
      p.DrawLine({s.w - 3, 0}, {s.w - 3, s.h - 3}, kWatchDim);
      break;
    default:  // 4
      p.DrawLine({s.w - 3, 0}, {s.w - 3, s.h - 3}, kFrameGreen);
      p.DrawLine({0, s.h - 3}, {s.w - 3, s.h - 3}, kWatchDim);
      break;
  }
}

// The frame blinks five times, lit and dim in turn, and ends lit.
void BlinkFrame(const BlockPanel& w, int phase) {
  DrawFrame(w.game.picWatch, phase % 2 == 1 ? kFrameGreen : kWatchDim);
}

// A bar in the frame's green moves one pixel right per tick and leaves the
// dark interior behind it. The lines stop short of the bottom edge, so the
// frame stays whole; the range x = 1 to 193 belongs to the phases, not the
// width.
void Sweep(const BlockPanel& w, int phase) {
  Panel& p = w.game.picWatch;
  const WatchSize s = ReadSize(p);
  p.DrawLine({phase - 9, 1}, {phase - 9, s.h - 3}, PanelDark);
  p.DrawLine({phase - 8, 1}, {phase - 8, s.h - 3}, kFrameGreen);
}

// One vertical and two horizontal grid lines per tick; the line at y = 192
// is drawn by both the first and the last tick.
void DrawGrid(const BlockPanel& w, int phase) {
  Panel& p = w.game.picWatch;
  const WatchSize s = ReadSize(p);
  const int k = phase - 205;
  p.DrawLine({1, kCellSize * k}, {s.w - 3, kCellSize * k}, kWatchGridLine);
  p.DrawLine({1, kCellSize * (k + 11)}, {s.w - 3, kCellSize * (k + 11)}, kWatchGridLine);
  p.DrawLine({kCellSize * k, 1}, {kCellSize * k, s.h - 3}, kWatchGridLine);
}

void PlayGame(const BlockPanel& w, int) { GameStep(w.game); }

// The ladder of phases. A rung covers the phases after the rung before it
// up to and including `last`; each of its ticks first sets the timer's
// interval (unless it is 0), then does the rung's work (if any).
struct Rung {
  int last;
  int interval;
  void (*work)(const BlockPanel&, int phase);
};

constexpr Rung kLadder[] = {
    {0, 125, nullptr},  // the first tick sets the rhythm of the edges
    {4, 0, TraceEdges},
    {5, 100, BlinkFrame},  // the frame blinks at a tenth of a second
    {8, 0, BlinkFrame},
    {9, 10, BlinkFrame},  // the sweep runs at 10 ms a step
    {201, 0, Sweep},
    {205, 50, nullptr},  // a pause; the grid comes at 50 ms a line
    {kFirstGamePhase - 1, 0, DrawGrid},
    {std::numeric_limits<int>::max(), 10, PlayGame},
};

const Rung& RungOf(int phase) {
  for (const Rung& r : kLadder)
    if (phase <= r.last) return r;
  return kLadder[std::size(kLadder) - 1];
}

}  // namespace

void BlockPanelTick(const BlockPanel& w) {
  const int phase = w.WatchPhase;
  const Rung& rung = RungOf(phase);
  if (rung.interval != 0) w.timer.SetInterval(rung.interval);
  if (rung.work != nullptr) rung.work(w, phase);

  // Read after the phase's work: a step that ends the game sends the very
  // next tick back to the start of the build-up.
  w.WatchPhase = w.game.GameOver == -1 ? 1 : phase + 1;
}

}  // namespace coderain
