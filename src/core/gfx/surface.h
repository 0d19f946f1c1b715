// The scene's drawing surfaces: the window, which is the whole framebuffer,
// and the panels, rectangles on it with a one-pixel black border inside.
//
// Coordinates are pixels, y downwards. The window's origin is the screen's
// top left corner. A panel's origin is the first pixel inside its border, so
// its drawing area runs from (0, 0) to (Width - 3, Height - 3).
//
// Drawing is immediate: it writes the framebuffer, and nothing drawn is kept
// anywhere else. Drawing on the window leaves out every visible panel;
// drawing on a panel is clipped to its drawing area and leaves out the
// visible panels above it (panels added later lie on top). Drawing on a
// hidden panel paints nothing. Every drawn rectangle is recorded in the
// window's damage list. Drawing calls never fail: what is clipped away is
// simply not painted. A surface works out where it may paint (the window
// keeps the panels, their order and visibility); the pixel work is the
// Painter's (painter.h).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/gfx/bitmap.h"
#include "core/gfx/damage.h"
#include "core/gfx/font.h"
#include "core/gfx/geometry.h"

namespace coderain {

class Window;

class Surface {
 public:
  virtual ~Surface() = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  // Outer size as laid out, fractions kept.
  double Left() const { return left_; }
  double Top() const { return top_; }
  double Width() const { return width_; }
  double Height() const { return height_; }

  // A plain horizontal or vertical line from a to b, one pixel wide (a and
  // b share x or y; nothing draws any other slope). Its end point b is not
  // painted, so a line from a point to itself paints nothing.
  void DrawLine(Point a, Point b, Color c);
  // A one-pixel rectangle outline; both corners are included.
  void DrawRect(Point a, Point b, Color c);
  // A filled rectangle; both corners are included.
  void FillRect(Point a, Point b, Color c);
  // An opaque copy of srcRect of src with its top left pixel at `at`. The
  // part of srcRect outside src is not copied.
  void Blit(Point at, const Bitmap& src, Rect srcRect);
  // Paints the whole drawing area black, the background of every surface.
  void Clear();

  // Text. Printing draws the text with its top left corner at the current
  // text position, transparently, in ForeColor and the current font (bold
  // while FontBold is set). Characters are Latin-1 bytes.
  double CurrentX = 0;
  double CurrentY = 0;
  bool FontBold = false;
  Color ForeColor = Rgb(0, 0, 0);

  // Prints `text`. With a row end, CurrentX becomes 0 and CurrentY grows by
  // the row height of the current font; without one, CurrentX moves past
  // the text.
  void Print(std::string_view text, bool rowEnd);
  // Height of a row of text in the current font, in pixels (whatever the
  // text; "a" is the usual measure).
  int TextHeight(std::string_view text) const;
  int TextWidth(std::string_view text) const;
  // The regular and bold faces of this surface; bold may be null, in which
  // case the regular face serves for both.
  void SetFonts(const Font* regular, const Font* bold);

 protected:
  Surface(Window* window) : window_(window) {}
  const Font* CurrentFont() const;
  // The rectangle of screen pixels that this surface may paint, before
  // panels above it are left out, and the screen position of its origin.
  virtual Rect ClipRect() const = 0;
  virtual Point Origin() const = 0;
  // Paints what is visible of r (screen pixels) with c.
  void FillScreenRect(Rect r, Color c);

  Window* window_;
  double left_ = 0;
  double top_ = 0;
  double width_ = 0;
  double height_ = 0;
  const Font* font_ = nullptr;
  const Font* boldFont_ = nullptr;

  friend class Window;
};

class Panel : public Surface {
 public:
  const std::string& Name() const { return name_; }
  // Places the panel, its outer rectangle in window pixels. Fractional
  // sizes are kept for Width and Height and floored for drawing.
  void Move(double left, double top, double width, double height);
  bool Visible() const { return visible_; }
  // Hiding paints the panel's rectangle black (the window shows through
  // and keeps nothing); showing paints it black too (a panel keeps nothing).
  void SetVisible(bool visible);
  // The outer rectangle in screen pixels, floored.
  Rect OuterRect() const { return outer_; }
  // The drawing area in screen pixels: the outer rectangle less its border.
  Rect DrawArea() const;

 protected:
  Rect ClipRect() const override;
  Point Origin() const override;

 private:
  Panel(Window* window, std::string name) : Surface(window), name_(std::move(name)) {}
  std::string name_;
  Rect outer_;  // kept with Move: every clipped drawing call looks at it
  bool visible_ = true;
  int z_ = 0;
  friend class Window;
};

class Window : public Surface {
 public:
  // The window draws on `framebuffer`, which must outlive it.
  explicit Window(Bitmap* framebuffer);

  // Places the window: the framebuffer's pixels are screen pixels from (0, 0).
  void Move(double width, double height);
  // Adds a panel on top of those already added; the window owns it.
  Panel& AddPanel(const std::string& name);
  const std::vector<std::unique_ptr<Panel>>& Panels() const { return panels_; }
  // The topmost visible panel holding screen pixel p, or null for the
  // window's own surface.
  Panel* PanelAt(Point p) const;

  Bitmap& Framebuffer() { return *framebuffer_; }
  const Bitmap& Framebuffer() const { return *framebuffer_; }
  DamageList& Damage() { return damage_; }

  // Calls fn(piece) for each part of r (screen pixels) that `s` may paint:
  // r within s's clip, less the visible panels above s. Allocates nothing.
  template <typename Fn>
  void ForEachPiece(const Surface& s, Rect r, Fn&& fn) const;

 protected:
  Rect ClipRect() const override;
  Point Origin() const override { return {0, 0}; }

 private:
  // Fills `out` (room for kMaxPieces) with the pieces of r left after taking
  // away the visible panels above z (the window is below every panel:
  // z = -1). Returns the count. Pieces do not overlap.
  int Pieces(Rect r, int z, Rect* out) const;
  // Whether any visible panel above z overlaps r.
  bool Covered(Rect r, int z) const;

  friend class Panel;

  Bitmap* framebuffer_;
  DamageList damage_;
  std::vector<std::unique_ptr<Panel>> panels_;
};

// Enough for a rectangle less six panels in any arrangement the layout makes.
inline constexpr int kMaxPieces = 64;

template <typename Fn>
void Window::ForEachPiece(const Surface& s, Rect r, Fn&& fn) const {
  r = r.Intersect(s.ClipRect());
  if (r.Empty()) return;
  int z = -1;
  if (&s != this) z = static_cast<const Panel&>(s).z_;
  // Most drawing touches no panel above it: one piece, the rectangle itself.
  if (!Covered(r, z)) {
    fn(r);
    return;
  }
  Rect pieces[kMaxPieces];
  int n = Pieces(r, z, pieces);
  for (int i = 0; i < n; ++i) fn(pieces[i]);
}

}  // namespace coderain
