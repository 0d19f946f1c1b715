#include "core/gfx/damage.h"

namespace coderain {

void DamageList::Add(const Rect& r) {
  if (r.Empty()) return;
  // A rectangle already covered adds nothing; the common repeat is a glyph
  // cell drawn over the same place twice in one frame.
  for (const Rect& d : rects_) {
    if (d.Intersect(r) == r) return;
  }
  if (static_cast<int>(rects_.size()) >= kMaxRects) {
    Rect all = Bounds().Union(r);
    rects_.clear();
    rects_.push_back(all);
    return;
  }
  rects_.push_back(r);
}

Rect DamageList::Bounds() const {
  Rect b;
  for (const Rect& d : rects_) b = b.Union(d);
  return b;
}

long long DamageList::Pixels() const {
  long long n = 0;
  for (const Rect& d : rects_) n += d.Area();
  return n;
}

}  // namespace coderain
