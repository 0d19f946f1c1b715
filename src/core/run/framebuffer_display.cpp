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
  // Drawn straight into, the image is what the scene shows with no copy
  // at all: the common case, one image in the frame's layout at one pixel
  // per pixel.
  const bool direct = copier->Native() && ImageCount(screen) == 1 && fit.scaling.up == 1 && fit.scaling.down == 1;
  Bitmap frame;
  if (!direct && !Bitmap::Allocate(fit.sceneWidth, fit.sceneHeight, &frame)) {
    *error = NoMemoryFor(fit.sceneWidth, fit.sceneHeight);
    return false;
  }
  if (!MakeImages(screen, facts.width, facts.height, error)) return false;
  if (direct) {
    const ImageView v = Image(screen, 0);
    frame = v.pixels ? Bitmap(reinterpret_cast<std::uint32_t*>(v.pixels), v.width, v.height, v.pitch / 4) : Bitmap();
  }
  s->facts = facts;
  s->fit = fit;
  s->frame = std::move(frame);
  s->direct = direct;
  s->copier = std::move(copier);
  s->stale.assign(static_cast<std::size_t>(ImageCount(screen)), {});
  s->wholePending = false;
  return true;
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

bool FramebufferDisplay::Present(int screen, const DamageList& damage) {
  Screen& s = At(screen);
  const int index = FreeImage(screen);
  if (index < 0) return false;
  const std::vector<Rect>& rects = damage.Rects();
  const ImageView view = Image(screen, index);
  if (!s.direct) {
    for (std::vector<Rect>& stale : s.stale) {
      for (const Rect& r : rects) stale.push_back(r.Intersect(s.frame.Bounds()));
      Fold(&stale);
    }
    std::vector<Rect>& missed = s.stale[static_cast<std::size_t>(index)];
    for (const Rect& r : missed) s.copier->Copy(s.frame, r, s.fit.scaling, view);
    missed.clear();
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
  for (std::vector<Rect>& stale : s.stale) stale = {s.frame.Bounds()};
  s.wholePending = true;
  Present(screen, DamageList{});
}

}  // namespace coderain
