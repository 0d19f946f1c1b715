#include "core/rain/falling_streams.h"

#include <cmath>

namespace coderain {

namespace {

enum Band { kWake = 0, kTrail = 1, kHead = 2 };

int RandomGlyph(RandomSource& random) { return static_cast<int>(std::floor(random.Next() * kDigitCount)); }

// Where window pixel v lands on the map, for a map `mapSize` pixels across
// a screen `screenSize` pixels across.
int MapPosition(double mapSize, int screenSize, std::int32_t v) {
  return static_cast<int>(RoundHalfEven(mapSize / screenSize * v));
}

}  // namespace

double RestartDepth(const Window& window) { return window.Height() + 2.0 * window.TextHeight("a"); }

void StepStream(const StreamField& field, RainStream& stream) {
  const RainCanvas& rain = field.rain;
  std::int32_t& X = stream.X;
  std::int32_t& Y = stream.Y;
  std::int32_t& OldX = stream.OldX;

  // A stream that has never picked a column (or picked column 0 and has not
  // restarted since) picks one now and falls on from where it is.
  if (X == 0 && OldX == 0) X = static_cast<std::int32_t>(RandomColumn(rain));

  // The cell two above the new head turns mid green; the head of the last
  // step stays white one step longer.
  const int trail = RandomGlyph(rain.random);
  BlitGlyph(rain, trail, kTrail, X, Y - kCellHeight);

  Y += kCellHeight;
  if (Y > RestartDepth(rain.window)) {
    Y = 0;
    OldX = X;
    X = static_cast<std::int32_t>(RandomColumn(rain));
  }

  const int head = RandomGlyph(rain.random);
  BlitGlyph(rain, head, kHead, X, Y);
  // The wake comes after the head, so a stream that restarted in its own
  // column shows a dark head for that whole fall.
  const int wake = RandomGlyph(rain.random);
  BlitGlyph(rain, wake, kWake, OldX, Y);

  // The map needs a laid-out screen; before that there is nothing to scale.
  const int sw = field.ScreenWidthPx;
  const int sh = field.ScreenHeightPx;
  if (sw <= 0 || sh <= 0) return;
  Panel& map = field.picGame;
  const int mx = MapPosition(map.Width(), sw, X);
  const int my = MapPosition(map.Height(), sh, Y);
  const int ox = MapPosition(map.Width(), sw, OldX);
  map.FillRect({mx, my}, {mx + 2, my + 2}, kMapHead);
  map.FillRect({mx, my - 3}, {mx + 2, my - 1}, kMapTrail);
  map.FillRect({ox, my}, {ox + 2, my + 2}, kMapErase);
}

}  // namespace coderain
