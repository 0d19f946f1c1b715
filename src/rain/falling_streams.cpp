#include "rain/falling_streams.h"

#include <cmath>

#include "app/form1.h"
#include "platform/random_source.h"
#include "rain/glyph_strip.h"
#include "rain/number_burst.h"

namespace coderain {

namespace {

enum Band { kWake = 0, kTrail = 1, kHead = 2 };

int RandomGlyph(Form1& f) { return static_cast<int>(std::floor(f.random.Next() * kDigitCount)); }

// Where window pixel v lands on the map, for a map `mapSize` pixels across
// a screen `screenSize` pixels across.
int MapPosition(double mapSize, int screenSize, std::int32_t v) {
  return static_cast<int>(RoundHalfEven(mapSize / screenSize * v));
}

}  // namespace

double RestartDepth(const Form1& f) { return f.form.Height() + 2.0 * f.form.TextHeight("a"); }

void StepStream(Form1& f, std::int32_t& X, std::int32_t& Y, std::int32_t& OldX) {
  // A stream that has never picked a column (or picked column 0 and has not
  // restarted since) picks one now and falls on from where it is.
  if (X == 0 && OldX == 0) X = static_cast<std::int32_t>(RandomColumn(f));

  // The cell two above the new head turns mid green; the head of the last
  // step stays white one step longer.
  const int trail = RandomGlyph(f);
  BlitGlyph(f, trail, kTrail, X, Y - kCellHeight);

  Y += kCellHeight;
  if (Y > RestartDepth(f)) {
    Y = 0;
    OldX = X;
    X = static_cast<std::int32_t>(RandomColumn(f));
  }

  const int head = RandomGlyph(f);
  BlitGlyph(f, head, kHead, X, Y);
  // The wake comes after the head, so a stream that restarted in its own
  // column shows a dark head for that whole fall.
  const int wake = RandomGlyph(f);
  BlitGlyph(f, wake, kWake, OldX, Y);

  // The map needs a laid-out screen; before that there is nothing to scale.
  if (f.ScreenWidthPx <= 0 || f.ScreenHeightPx <= 0) return;
  const int mx = MapPosition(f.picGame.Width(), f.ScreenWidthPx, X);
  const int my = MapPosition(f.picGame.Height(), f.ScreenHeightPx, Y);
  const int ox = MapPosition(f.picGame.Width(), f.ScreenWidthPx, OldX);
  f.picGame.FillRect({mx, my}, {mx + 2, my + 2}, kMapHead);
  f.picGame.FillRect({mx, my - 3}, {mx + 2, my - 1}, kMapTrail);
  f.picGame.FillRect({ox, my}, {ox + 2, my + 2}, kMapErase);
}

void StreamTick(Form1& f, int index) {
  RainStream& s = f.state.Streams[index];
  StepStream(f, s.X, s.Y, s.OldX);
}

}  // namespace coderain
