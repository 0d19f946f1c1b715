// What every display that shows the scene from an image of its window has
// in common, written once: the output fit of each screen, the frame its
// scene draws into, presents of damage and of the whole frame, the check of
// the memory a new size needs, and what a window that cannot have its new
// size does.
//
// Where an image's layout is the frame's own and nothing is scaled, the
// scene draws straight into an image. With several images the frame stays
// on one while the system lets it go between presents; when the system
// still holds it as the scene is about to draw, the frame moves to a free
// one, which first gets what it missed (or, with every image held, to
// pixels of its own). Where the frame is scaled or converted, it has
// pixels of its own and each present copies what changed into a free
// image. An image the system holds is never written.
//
// A backend (X11, Wayland, Win32, a web page) supplies only what differs:
// the images of a screen and their pixel layout, which image may be written
// now, and sending rectangles of one. It adds and refits screens as its
// windows come, go and change, and translates its system's events.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/gfx/frame_copy.h"
#include "core/run/run_mode.h"
#include "core/run/scene_display.h"

namespace coderain {

// The line for memory that cannot be had for a width x height image.
std::string NoMemoryFor(int width, int height);

class FramebufferDisplay : public SceneDisplay {
 public:
  std::vector<int> Screens() const override;
  Bitmap& Frame(int screen) override;
  const OutputFit& Fit(int screen) const override;
  bool Present(int screen, const DamageList& damage) override;
  void PresentAll(int screen) override;
  bool Pending(int screen) const override;
  void PrepareToDraw(int screen, const DamageList& unsent) override;

 protected:
  // Shows the scene as `mode` says (its windows ours or lent, its fit).
  explicit FramebufferDisplay(const RunMode& mode = kOwnWindows) : mode_(mode) {}
  const RunMode& Mode() const { return mode_; }

  // Adds screen `screen` (a number of the backend's choosing, not in use),
  // fitted to a window of `facts`. Returns false and sets *error, adding
  // nothing, when the memory for it cannot be had.
  bool AddScreen(int screen, const OutputFacts& facts, std::string* error);
  // Drops a screen; its frame goes with it.
  void RemoveScreen(int screen);
  bool HasScreen(int screen) const { return screens_.count(screen) != 0; }
  // What the screen was last fitted to.
  const OutputFacts& Facts(int screen) const;
  // Screen `screen`'s window has new facts (a size, a density): the scene
  // is fitted anew and the Resized event says so. Where the memory for the
  // new size cannot be had, a lent window keeps the scene at the size it
  // had (no event) and our own window cannot go on (a Failed event): the
  // mode's row says which the window is.
  std::optional<DisplayEvent> Refit(int screen, const OutputFacts& facts);

  // --- What a backend supplies, screen by screen ---

  // How the screen's images store a pixel.
  virtual PixelLayout Layout(int screen) const = 0;
  // How many images the screen presents from in turn: more than one where
  // the system holds an image while it shows it.
  virtual int ImageCount(int /*screen*/) const { return 1; }
  // Makes the screen's images width x height pixels (its window's own),
  // black. Returns false and sets *error, keeping the images it had, when
  // they cannot be had.
  virtual bool MakeImages(int screen, int width, int height, std::string* error) = 0;
  virtual ImageView Image(int screen, int index) const = 0;
  // The image that may be written and sent now, or -1 while the system has
  // not yet taken the screen's last present.
  virtual int FreeImage(int screen) = 0;
  // Whether the system holds image `index` now (it may read it until it
  // says it has let it go). A backend of more than one image says.
  virtual bool Held(int /*screen*/, int /*index*/) const { return false; }
  // Sends rectangles of image `index` (image pixels, none empty) to the
  // window; with `whole`, the whole image, of which `rects` is empty.
  virtual void Send(int screen, int index, std::span<const Rect> rects, bool whole) = 0;

 private:
  struct Screen {
    OutputFacts facts;
    OutputFit fit;
    Bitmap frame;         // the scene's: a view of an image, or of `own`
    Bitmap own;           // the frame's pixels of its own, where it may have them
    bool direct = false;  // the frame is the one image, always
    bool flips = false;   // the frame goes from image to image, and to `own` with all held
    int images = 1;       // ImageCount, as fitted
    int home = 0;         // the image the frame is now; `images`: `own`
    std::unique_ptr<FrameCopier> copier;
    // The frame's rectangles each image (and `own`, last) has missed since
    // it last had the frame; the home's is empty. Not kept for a direct
    // frame.
    std::vector<std::vector<Rect>> stale;
    bool wholePending = false;
    std::vector<Rect> sent;  // a present's rectangles, kept to spare an allocation
  };
  Screen& At(int screen);
  const Screen& At(int screen) const;
  // Fits `s` to `facts`: the fit, the images and the frame, all or none.
  bool FitScreen(int screen, Screen* s, const OutputFacts& facts, std::string* error);
  // Moves a flipping frame off an image the system holds, and off its own
  // pixels where an image is free: its new home gets what it missed and
  // `unsent`, drawn on the old one since the last present.
  void Settle(int screen, Screen& s, std::span<const Rect> unsent);
  // Where home `index` of `s` keeps its pixels.
  ImageView HomeView(int screen, Screen& s, int index) const;

  const RunMode& mode_;
  std::map<int, std::unique_ptr<Screen>> screens_;
};

}  // namespace coderain
