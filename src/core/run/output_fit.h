// How the scene fits the window it is shown in: the one rule every display
// applies, whatever the platform.
//
// - A window large enough for the layout shows the scene at a whole-number
//   scale s, every scene pixel an s x s block, so that the scene keeps its
//   size in millimetres on dense screens: `--scale` where given, else
//   round(dpi / 96) where the desktop says its density, else one for every
//   1080 rows; either held to what leaves a scene of at least 1024 x 768
//   (on a screen smaller than that at its density, a phone's, to what
//   leaves the layout's 420 x 713, so that its text stays readable), and
//   to kMaxScale.
//   The scene is floor(width / s) x floor(height / s); the rows and columns
//   left past that stay black.
// - A window whose mode fits a miniature that is too small for the layout
//   (shorter than it or narrower) shows it in miniature: the scene runs at
//   k times the window's size and every k x k block of it becomes one
//   window pixel, k the least that makes the scene tall and wide enough,
//   never so large that the scene is wider than 8192 pixels. It is
//   presented at 1/k of the refresh rate: it moves 1/k as far on the
//   screen as the full scene, so it still moves the same distance a frame,
//   at a fraction of the cost. Only stills and films keep the size they
//   are asked for, however small.
#pragma once

#include "core/gfx/frame_copy.h"
#include "core/gfx/geometry.h"

namespace coderain {

// The height the layout needs: its block-game panel starts 594 px down and
// is a sixth of the height tall, so it fits from 713 px on.
inline constexpr int kLayoutHeight = 713;
// The width it needs: the panels down the left are 224 px wide and those
// down the right 196, and they meet at 420.
inline constexpr int kLayoutWidth = 420;
// The widest scene a reduction may make, so that a window a line high but
// thousands of pixels wide does not ask for a scene of millions.
inline constexpr int kMaxReducedWidth = 8192;
// The refresh rate taken where the display does not say one.
inline constexpr int kDefaultRefreshHz = 60;
// The least scene a scale may leave: the layout is made for 1024 x 768.
inline constexpr int kMinSceneWidth = 1024;
inline constexpr int kMinSceneHeight = 768;
// The density at which one scene pixel is one screen pixel.
inline constexpr double kBaseDpi = 96;

// How a mode fits the scene to a window (its row, run_mode.h).
enum class FitRule {
  Full,                // at a whole-number scale, however small the window
  MiniatureWhenSmall,  // a window too small for the layout shows a miniature
};

// What a display knows of the window the scene is shown in.
struct OutputFacts {
  int width = 0;  // the window's size in its own pixels
  int height = 0;
  double dpi = 0;          // the desktop's density; 0 where it says none
  int requestedScale = 0;  // the command line's (1 to kMaxScale); 0: the rule's
  FitRule fit = FitRule::Full;
  int refreshHz = 0;  // the display's; 0 when unknown
};

struct OutputFit {
  int sceneWidth = 0;  // the scene's size in its own pixels
  int sceneHeight = 0;
  Scaling scaling;             // scene pixels to window pixels
  int hz = kDefaultRefreshHz;  // presents a second worth making

  // The time between presents, in whole ms (17 at 60 Hz).
  int FrameMs() const { return (1000 + hz - 1) / hz; }
  // The scene pixel under window pixel p.
  Point ToScene(Point p) const { return {p.x / scaling.up * scaling.down, p.y / scaling.up * scaling.down}; }
};

// The fit for `facts`. No scale leaves a scene smaller than one pixel, and a
// window of no size gets scale 1 and a scene of no size.
OutputFit FitOutput(const OutputFacts& facts);

}  // namespace coderain
