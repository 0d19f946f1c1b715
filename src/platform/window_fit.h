// How the scene fits a window it is given rather than one of its own.
//
// The scene's layout needs a certain height: its block-game panel starts
// 594 px down and is a sixth of the height tall, so it fits from 713 px on.
// In a shorter window (a settings dialog's preview pane) the scene runs at
// k times the window's size and every k x k block of it becomes one window
// pixel: the whole scene in miniature.
#pragma once

namespace coderain {

inline constexpr int kLayoutHeight = 713;
// The widest scene a reduction may make: past it a window keeps its own
// size, so that a window a line high but thousands of pixels wide does not
// ask for a scene of millions.
inline constexpr int kMaxReducedWidth = 8192;

// The reduction k >= 1 for a given window of width x height pixels:
// ceil(kLayoutHeight / height) below kLayoutHeight, else 1, and never so
// large that the scene is wider than kMaxReducedWidth (then 1 at least).
// Sizes below 1 count as 1.
int ReductionFor(int width, int height);

// The frames a second worth presenting of a scene reduced by k on a
// display refreshed refreshHz times a second (0: unknown, taken as 60): a
// miniature moves 1/k as far on the screen as the full scene, so at 1/k of
// the rate it still moves the same distance a frame, at a fraction of the
// cost. At least 1; refreshHz itself when k is 1.
int MiniatureHz(int refreshHz, int k);

}  // namespace coderain
