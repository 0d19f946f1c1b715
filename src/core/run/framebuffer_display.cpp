#include "core/run/framebuffer_display.h"

#include <cassert>
#include <utility>

namespace coderain {

namespace {

// Past this many rectangles an image's missed ones fold into their bounds:
// a few presents' worth, as an image the system holds for long misses many.
// Folding sooner would copy most of the frame where two presents of
// scattered rectangles were due.
constexpr std::size_t kMaxStale = 4 * DamageList::kMaxRects;

void Fold(std::vector<Rect>* rects) {
  if (rects->size() <= kMaxStale) return;
  Rect all;
  for (const Rect& r : *rects) all = all.Union(r);
  *rects = {all};
}

}  // namespace

std::string NoMemoryFor(int width, int height) {
  return "not enough memory for a " + std::to_string(width) + "x" + std::to_string(height) + " image";
}

std::vector<int> FramebufferDisplay::Screens() const {
  std::vector<int> ids;
  for (const auto& [id, s] : screens_) ids.push_back(id);
  return ids;
}

FramebufferDisplay::Screen& FramebufferDisplay::At(int screen) {
  const auto it = screens_.find(screen);
  assert(it != screens_.end());
  return *it->second;
}

const FramebufferDisplay::Screen& FramebufferDisplay::At(int screen) const {
  const auto it = screens_.find(screen);
  assert(it != screens_.end());
  return *it->second;
}

Bitmap& FramebufferDisplay::Frame(int screen) { return At(screen).frame; }
const OutputFit& FramebufferDisplay::Fit(int screen) const { return At(screen).fit; }
const OutputFacts& FramebufferDisplay::Facts(int screen) const { return At(screen).facts; }
bool FramebufferDisplay::Pending(int screen) const { return At(screen).wholePending; }

bool FramebufferDisplay::FitScreen(int screen, Screen* s, const OutputFacts& facts, std::string* error) {
  const OutputFit fit = FitOutput(facts);
  auto copier = std::make_unique<FrameCopier>(Layout(screen));
  const int images = ImageCount(screen);
  // Drawn straight into, an image is what the scene shows with no copy at
  // all: where it is in the frame's layout at one pixel per pixel. One
  // image is the frame for good; of several, the frame keeps pixels of its
  // own for when the system holds them all.
  const bool native = copier->Native() && fit.scaling.up == 1 && fit.scaling.down == 1;
  const bool direct = native && images == 1;
  Bitmap own;
  if (!direct && !Bitmap::Allocate(fit.sceneWidth, fit.sceneHeight, &own)) {
    *error = NoMemoryFor(fit.sceneWidth, fit.sceneHeight);
    return false;
  }
  if (!MakeImages(screen, facts.width, facts.height, error)) return false;
  s->facts = facts;
  s->fit = fit;
  s->own = std::move(own);
  s->direct = direct;
  s->flips = native && images > 1;
  s->images = images;
  s->home = native ? 0 : images;
  s->copier = std::move(copier);
  s->stale.assign(static_cast<std::size_t>(images) + 1, {});
  s->wholePending = false;
  const ImageView v = HomeView(screen, *s, s->home);
  s->frame = v.pixels ? Bitmap(reinterpret_cast<std::uint32_t*>(v.pixels), v.width, v.height, v.pitch / 4) : Bitmap();
  return true;
}

ImageView FramebufferDisplay::HomeView(int screen, Screen& s, int index) const {
  if (index < s.images) return Image(screen, index);
  if (s.own.Height() == 0) return {};
  return {reinterpret_cast<std::uint8_t*>(s.own.Row(0)), s.own.Width(), s.own.Height(), s.own.Pitch() * 4};
}

bool FramebufferDisplay::AddScreen(int screen, const OutputFacts& facts, std::string* error) {
  assert(!HasScreen(screen));
  auto s = std::make_unique<Screen>();
  if (!FitScreen(screen, s.get(), facts, error)) return false;
  screens_[screen] = std::move(s);
  return true;
}

void FramebufferDisplay::RemoveScreen(int screen) { screens_.erase(screen); }

std::optional<DisplayEvent> FramebufferDisplay::Refit(int screen, const OutputFacts& facts) {
  std::string error;
  if (FitScreen(screen, &At(screen), facts, &error)) return DisplayEvent{DisplayEvent::Kind::Resized, screen};
  // A window that grows past what can be held keeps the scene at the size
  // it has; our own window cannot.
  if (!mode_.ownsWindows) return std::nullopt;
  DisplayEvent failed{DisplayEvent::Kind::Failed, screen};
  failed.text = error;
  return failed;
}

void FramebufferDisplay::Settle(int screen, Screen& s, std::span<const Rect> unsent) {
  if (s.home != s.images && !Held(screen, s.home)) return;
  const auto missedBy = [&s](int i) -> std::vector<Rect>& { return s.stale[static_cast<std::size_t>(i)]; };
  // The free image that missed least, else the frame's own pixels.
  int to = s.images;
  for (int i = 0; i < s.images; ++i)
    if (!Held(screen, i) && (to == s.images || missedBy(i).size() < missedBy(to).size())) to = i;
  if (to == s.home) return;
  const ImageView view = HomeView(screen, s, to);
  std::vector<Rect>& missed = missedBy(to);
  for (const Rect& r : missed) s.copier->Copy(s.frame, r, s.fit.scaling, view);
  for (const Rect& r : unsent) s.copier->Copy(s.frame, r, s.fit.scaling, view);
  missed.clear();
  s.home = to;
  s.frame = Bitmap(reinterpret_cast<std::uint32_t*>(view.pixels), view.width, view.height, view.pitch / 4);
}

void FramebufferDisplay::PrepareToDraw(int screen, const DamageList& unsent) {
  Screen& s = At(screen);
  if (s.flips) Settle(screen, s, unsent.Rects());
  assert(s.home == s.images || !Held(screen, s.home));
}

bool FramebufferDisplay::Present(int screen, const DamageList& damage) {
  Screen& s = At(screen);
  const int free = FreeImage(screen);
  if (free < 0) return false;
  const std::vector<Rect>& rects = damage.Rects();
  if (s.flips) Settle(screen, s, rects);
  // A frame that is an image goes as it is; one of its own is copied into
  // the free image first.
  const int index = s.home == s.images ? free : s.home;
  assert(!Held(screen, index));
  const ImageView view = Image(screen, index);
  if (!s.direct) {
    for (std::size_t k = 0; k < s.stale.size(); ++k) {
      if (static_cast<int>(k) == s.home) continue;
      for (const Rect& r : rects) s.stale[k].push_back(r.Intersect(s.frame.Bounds()));
      Fold(&s.stale[k]);
    }
    if (s.home == s.images) {
      std::vector<Rect>& missed = s.stale[static_cast<std::size_t>(index)];
      for (const Rect& r : missed) s.copier->Copy(s.frame, r, s.fit.scaling, view);
      missed.clear();
    }
  }
  s.sent.clear();
  if (!s.wholePending) {
    for (const Rect& r : rects)
      if (const Rect out = FrameCopier::ImageRect(r.Intersect(s.frame.Bounds()), s.fit.scaling, view); !out.Empty())
        s.sent.push_back(out);
    // Nothing that shows: nothing to send, and the system holds nothing.
    if (s.sent.empty()) return true;
  }
  // A whole present sends the whole image, so that what lies past a
  // scaled frame is black too.
  Send(screen, index, s.sent, s.wholePending);
  s.wholePending = false;
  return true;
}

void FramebufferDisplay::PresentAll(int screen) {
  Screen& s = At(screen);
  for (std::size_t k = 0; k < s.stale.size(); ++k)
    if (static_cast<int>(k) != s.home) s.stale[k] = {s.frame.Bounds()};
  s.wholePending = true;
  Present(screen, DamageList{});
}

}  // namespace coderain
