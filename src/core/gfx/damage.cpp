#include "core/gfx/damage.h"

#include <algorithm>
#include <tuple>

namespace coderain {

void DamageList::Add(const Rect& r) {
  if (r.Empty()) return;
  // A rectangle already covered adds nothing. The common repeat is a glyph
  // cell drawn over the same place twice in one tick, so only the latest
  // few are looked at: a list that carries several frames' worth under a
  // frame-rate cap would otherwise cost its length on every cell drawn.
  constexpr std::size_t kLookBack = 8;
  const std::size_t from = rects_.size() > kLookBack ? rects_.size() - kLookBack : 0;
  for (std::size_t i = rects_.size(); i-- > from;) {
    if (rects_[i].Intersect(r) == r) return;
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

namespace {

// What the union of a and b paints that neither of them did.
long long Waste(const Rect& a, const Rect& b) {
  return a.Union(b).Area() - a.Area() - b.Area() + a.Intersect(b).Area();
}

}  // namespace

void Coalesce(std::vector<Rect>* rects, long long wastePx) {
  // In row order, each rectangle joins one of the last few kept where that
  // wastes little (a panel's line, a stream's cells one under another),
  // else is kept itself.
  constexpr std::size_t kLookBack = 4;
  std::vector<Rect>& v = *rects;
  std::sort(v.begin(), v.end(), [](const Rect& a, const Rect& b) { return std::tie(a.y, a.x) < std::tie(b.y, b.x); });
  std::size_t kept = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const Rect r = v[i];
    std::size_t k = kept;
    while (k > 0 && kept - k < kLookBack && Waste(v[k - 1], r) > wastePx) --k;
    if (k > 0 && kept - k < kLookBack)
      v[k - 1] = v[k - 1].Union(r);
    else
      v[kept++] = r;
  }
  v.resize(kept);
}

}  // namespace coderain
