#include "core/gfx/surface.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "core/gfx/painter.h"

namespace coderain {

namespace {

// Takes `hole` out of r, appending what is left (up to four pieces).
int Subtract(const Rect& r, const Rect& hole, Rect* out) {
  Rect h = r.Intersect(hole);
  if (h.Empty()) {
    out[0] = r;
    return 1;
  }
  int n = 0;
  if (h.y > r.y) out[n++] = {r.x, r.y, r.w, h.y - r.y};
  if (h.Bottom() < r.Bottom()) out[n++] = {r.x, h.Bottom(), r.w, r.Bottom() - h.Bottom()};
  if (h.x > r.x) out[n++] = {r.x, h.y, h.x - r.x, h.h};
  if (h.Right() < r.Right()) out[n++] = {h.Right(), h.y, r.Right() - h.Right(), h.h};
  return n;
}

int Floor(double v) { return static_cast<int>(std::floor(v)); }

}  // namespace

// ---------------------------------------------------------------- Surface

const Font* Surface::CurrentFont() const { return FontBold && boldFont_ ? boldFont_ : font_; }

void Surface::SetFonts(const Font* regular, const Font* bold) {
  font_ = regular;
  boldFont_ = bold;
}

void Surface::FillScreenRect(Rect r, Color c) {
  Painter painter(&window_->Framebuffer(), &window_->Damage());
  window_->ForEachPiece(*this, r, [&](const Rect& piece) { painter.Fill(piece, c); });
}

void Surface::DrawLine(Point a, Point b, Color c) {
  assert(a.x == b.x || a.y == b.y);
  // A straight line is a rectangle fill of the pixels from a up to, but not
  // including, b.
  if (a.x == b.x && a.y == b.y) return;
  Rect r;
  if (a.x == b.x) {
    r = a.y < b.y ? Rect{a.x, a.y, 1, b.y - a.y} : Rect{a.x, b.y + 1, 1, a.y - b.y};
  } else {
    r = a.x < b.x ? Rect{a.x, a.y, b.x - a.x, 1} : Rect{b.x + 1, a.y, a.x - b.x, 1};
  }
  const Point o = Origin();
  FillScreenRect(r.Translated(o.x, o.y), c);
}

void Surface::DrawRect(Point a, Point b, Color c) {
  Point o = Origin();
  Rect r = Rect::FromCorners(a.x, a.y, b.x, b.y).Translated(o.x, o.y);
  FillScreenRect({r.x, r.y, r.w, 1}, c);
  if (r.h > 1) FillScreenRect({r.x, r.Bottom() - 1, r.w, 1}, c);
  if (r.h > 2) {
    FillScreenRect({r.x, r.y + 1, 1, r.h - 2}, c);
    if (r.w > 1) FillScreenRect({r.Right() - 1, r.y + 1, 1, r.h - 2}, c);
  }
}

void Surface::FillRect(Point a, Point b, Color c) {
  Point o = Origin();
  FillScreenRect(Rect::FromCorners(a.x, a.y, b.x, b.y).Translated(o.x, o.y), c);
}

void Surface::Blit(Point at, const Bitmap& src, Rect srcRect) {
  // Only what the source holds is copied.
  Rect s = srcRect.Intersect(src.Bounds());
  if (s.Empty()) return;
  Point o = Origin();
  const int dx = at.x + o.x - srcRect.x;  // screen x of source column 0
  const int dy = at.y + o.y - srcRect.y;
  Painter painter(&window_->Framebuffer(), &window_->Damage());
  window_->ForEachPiece(*this, s.Translated(dx, dy), [&](const Rect& piece) { painter.Copy(piece, src, dx, dy); });
}

void Surface::Clear() { FillScreenRect(ClipRect(), kBlack); }

int Surface::TextHeight(std::string_view) const {
  const Font* f = CurrentFont();
  return f ? f->RowHeight() : 0;
}

int Surface::TextWidth(std::string_view text) const {
  const Font* f = CurrentFont();
  return f ? f->TextWidth(text) : 0;
}

void Surface::Print(std::string_view text, bool rowEnd) {
  const Font* f = CurrentFont();
  if (f == nullptr) return;
  const Point o = Origin();
  const int penX = Floor(CurrentX) + o.x;
  const int top = Floor(CurrentY) + o.y;
  const int width = f->TextWidth(text);
  // Glyphs may reach a little outside their advance and row; a margin keeps
  // those pixels inside the pieces considered.
  const int margin = f->RowHeight();
  const Rect box{penX - margin, top - margin, width + 2 * margin, f->RowHeight() + 2 * margin};
  Painter painter(&window_->Framebuffer(), &window_->Damage());
  window_->ForEachPiece(*this, box, [&](const Rect& piece) { painter.Text(piece, *f, text, penX, top, ForeColor); });
  if (rowEnd) {
    CurrentX = 0;
    CurrentY += f->RowHeight();
  } else {
    CurrentX += width;
  }
}

// ------------------------------------------------------------------ Panel

void Panel::Move(double left, double top, double width, double height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  outer_ = {Floor(left_), Floor(top_), Floor(width_), Floor(height_)};
}

Rect Panel::DrawArea() const {
  Rect r = OuterRect();
  return {r.x + 1, r.y + 1, r.w - 2, r.h - 2};
}

Rect Panel::ClipRect() const {
  if (!visible_) return {};
  return DrawArea().Intersect(window_->Framebuffer().Bounds());
}

Point Panel::Origin() const {
  Rect a = DrawArea();
  return {a.x, a.y};
}

void Panel::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  // Either way the rectangle turns black: a hidden panel shows the window,
  // which keeps nothing; a panel shown again keeps nothing either. Panels
  // above this one keep their pixels.
  Rect r = OuterRect().Intersect(window_->Framebuffer().Bounds());
  Bitmap& fb = window_->Framebuffer();
  Rect pieces[kMaxPieces];
  int n = window_->Pieces(r, z_, pieces);
  for (int i = 0; i < n; ++i) {
    fb.FillRect(pieces[i], kBlack);
    window_->Damage().Add(pieces[i]);
  }
}

// ----------------------------------------------------------------- Window

Window::Window(Bitmap* framebuffer) : Surface(this), framebuffer_(framebuffer) {
  width_ = framebuffer->Width();
  height_ = framebuffer->Height();
}

void Window::Move(double width, double height) {
  left_ = 0;
  top_ = 0;
  width_ = width;
  height_ = height;
}

Rect Window::ClipRect() const { return Rect{0, 0, Floor(width_), Floor(height_)}.Intersect(framebuffer_->Bounds()); }

Panel& Window::AddPanel(const std::string& name) {
  panels_.push_back(std::unique_ptr<Panel>(new Panel(this, name)));
  panels_.back()->z_ = static_cast<int>(panels_.size()) - 1;
  return *panels_.back();
}

Panel* Window::PanelAt(Point p) const {
  for (auto it = panels_.rbegin(); it != panels_.rend(); ++it) {
    if ((*it)->visible_ && (*it)->OuterRect().Contains(p)) return it->get();
  }
  return nullptr;
}

bool Window::Covered(Rect r, int z) const {
  for (const auto& p : panels_) {
    if (p->z_ > z && p->visible_ && p->outer_.Intersects(r)) return true;
  }
  return false;
}

int Window::Pieces(Rect r, int z, Rect* out) const {
  int n = 0;
  if (r.Empty()) return 0;
  out[n++] = r;
  for (const auto& p : panels_) {
    if (p->z_ <= z || !p->visible_) continue;
    Rect hole = p->OuterRect();
    if (!hole.Intersects(r)) continue;
    // Split every piece so far around the hole.
    Rect next[kMaxPieces];
    int m = 0;
    for (int i = 0; i < n; ++i) {
      Rect parts[4];
      int k = Subtract(out[i], hole, parts);
      // The layout never makes this many pieces. Should it ever, the
      // debug build stops here; a release build loses the extra pieces
      // rather than write past the list.
      assert(m + k <= kMaxPieces);
      for (int j = 0; j < k && m < kMaxPieces; ++j) next[m++] = parts[j];
    }
    std::copy_n(next, m, out);
    n = m;
  }
  return n;
}

}  // namespace coderain
