#include "panels/blocks/build_up.h"

#include <cmath>

#include "app/form1.h"
#include "panels/blocks/block_game.h"

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

void Frame(Panel& p, Color c) {
  const WatchSize s = ReadSize(p);
  p.DrawRect({0, 0}, {s.w - 3, s.h - 3}, c);
}

// Edges traced one per tick, each drawn dim and lit at the next tick.
void TraceEdges(Form1& f, int phase) {
  Panel& p = f.picWatch;
  const WatchSize s = ReadSize(p);
  switch (phase) {
    case 1:
      p.DrawLine({0, 0}, {0, s.h}, kWatchDim);
      ResetGame(f);
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
      p.DrawLine({s.w - 3, 0}, {s.w - 3, s.h - 3}, kWatchMid);
      p.DrawLine({0, s.h - 3}, {s.w - 3, s.h - 3}, kWatchDim);
      break;
  }
}

// The frame blinks five times, mid and dim in turn, and ends mid.
void BlinkFrame(Form1& f, int phase) {
  if (phase == 5) f.timers.SetInterval(kTimer14, 100);
  if (phase == 9) f.timers.SetInterval(kTimer14, 10);
  Frame(f.picWatch, phase % 2 == 1 ? kWatchMid : kWatchDim);
}

// A mid green bar moves one pixel right per tick and leaves the dark
// interior behind it. The lines stop short of the bottom edge, so the frame
// stays whole; the range x = 1 to 193 belongs to the phases, not the width.
void Sweep(Form1& f, int phase) {
  Panel& p = f.picWatch;
  const WatchSize s = ReadSize(p);
  p.DrawLine({phase - 9, 1}, {phase - 9, s.h - 3}, PanelDark);
  p.DrawLine({phase - 8, 1}, {phase - 8, s.h - 3}, kWatchMid);
}

// One vertical and two horizontal grid lines per tick; the line at y = 192
// is drawn by both the first and the last tick.
void DrawGrid(Form1& f, int phase) {
  Panel& p = f.picWatch;
  const WatchSize s = ReadSize(p);
  const int k = phase - 205;
  p.DrawLine({1, kCellSize * k}, {s.w - 3, kCellSize * k}, kWatchGridLine);
  p.DrawLine({1, kCellSize * (k + 11)}, {s.w - 3, kCellSize * (k + 11)}, kWatchGridLine);
  p.DrawLine({kCellSize * k, 1}, {kCellSize * k, s.h - 3}, kWatchGridLine);
}

}  // namespace

void Timer14Tick(Form1& f) {
  SceneState& st = f.state;
  const int phase = st.WatchPhase;

  if (phase < 1) {
    f.timers.SetInterval(kTimer14, 125);
  } else if (phase <= 4) {
    TraceEdges(f, phase);
  } else if (phase <= 9) {
    BlinkFrame(f, phase);
  } else if (phase <= 201) {
    Sweep(f, phase);
  } else if (phase <= 205) {
    f.timers.SetInterval(kTimer14, 50);
  } else if (phase <= 217) {
    DrawGrid(f, phase);
  } else {
    f.timers.SetInterval(kTimer14, 10);
    GameStep(f);
  }

  // Read after the phase's work: a step that ends the game sends the very
  // next tick back to the start of the build-up.
  st.WatchPhase = st.GameOver == -1 ? 1 : phase + 1;
}

}  // namespace coderain
