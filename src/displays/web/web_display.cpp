#include "displays/web/web_display.h"

#include <cstdint>
#include <type_traits>

#include "core/run/screen_plan.h"

// The page's side of the display, in web_canvas.js.
extern "C" {
int coderain_canvas_open();
void coderain_canvas_size(int width, int height, double density);
void coderain_canvas_put(const std::uint8_t* pixels, int width, int height, const int* rects, int count);
void coderain_canvas_blank();
}

namespace coderain {

namespace {

static_assert(sizeof(Rect) == 4 * sizeof(int) && std::is_standard_layout_v<Rect>,
              "the page reads rectangles as x, y, w, h");

}  // namespace

WebDisplay::WebDisplay(const LaunchRequest& request) : FramebufferDisplay(ModeOf(request.mode)), request_(request) {}

std::unique_ptr<WebDisplay> WebDisplay::Open(const LaunchRequest& request, std::string* error) {
  if (!coderain_canvas_open()) {
    *error = "the browser gives the page no canvas to draw in";
    return nullptr;
  }
  return std::unique_ptr<WebDisplay>(new WebDisplay(request));
}

bool WebDisplay::Resize(int width, int height, double density, std::string* error) {
  const OutputFacts facts = WindowFacts(request_, width, height, kBaseDpi * density, 0);
  density_ = density;
  if (width <= 0 || height <= 0) {
    if (HasScreen(kScreen)) {
      RemoveScreen(kScreen);
      image_ = Bitmap();
      coderain_canvas_size(0, 0, density);
      Queue({DisplayEvent::Kind::ScreenRemoved, kScreen});
    }
    return true;
  }
  if (!HasScreen(kScreen)) {
    if (!AddScreen(kScreen, facts, error)) return false;
    Queue({DisplayEvent::Kind::ScreenAdded, kScreen});
    return true;
  }
  if (!NeedsRefit(Facts(kScreen), facts)) return true;
  if (auto e = Refit(kScreen, facts)) Queue(*e);
  return true;
}

void WebDisplay::Key(bool down, int key, bool repeat) {
  input_.Key(down, key, repeat, &events_);
  if (!shown_) events_.clear();
}

void WebDisplay::Button(bool down, Point at) {
  WebInput::Button(down, at, kScreen, HasScreen(kScreen) ? &Fit(kScreen) : nullptr, &events_);
  if (!shown_) events_.clear();
}

void WebDisplay::Blur() {
  input_.Blur(&events_);
  if (!shown_) events_.clear();
}

void WebDisplay::Exposed() {
  if (HasScreen(kScreen)) Queue({DisplayEvent::Kind::Exposed, kScreen});
}

void WebDisplay::SetSeen(bool seen) {
  if (HasScreen(kScreen)) Queue({seen ? DisplayEvent::Kind::Seen : DisplayEvent::Kind::Unseen, kScreen});
}

void WebDisplay::Queue(const DisplayEvent& e) {
  if (shown_) events_.push_back(e);
}

std::vector<DisplayEvent> WebDisplay::TakeEvents() {
  std::vector<DisplayEvent> taken;
  taken.swap(events_);
  return taken;
}

void WebDisplay::Show() {
  shown_ = true;
  events_.push_back(input_.Appeared());
}

void WebDisplay::Stop() {
  shown_ = false;
  events_.clear();
  coderain_canvas_blank();
}

PixelLayout WebDisplay::Layout(int) const {
  // ImageData's bytes: R, G, B, A.
  PixelLayout rgba;
  rgba.redMask = 0xFFu;
  rgba.greenMask = 0xFF00u;
  rgba.blueMask = 0xFF0000u;
  rgba.alphaMask = 0xFF000000u;
  return rgba;
}

bool WebDisplay::MakeImages(int, int width, int height, std::string* error) {
  if (!Bitmap::Allocate(width, height, &image_)) {
    *error = NoMemoryFor(width, height);
    return false;
  }
  coderain_canvas_size(width, height, density_);
  return true;
}

ImageView WebDisplay::Image(int, int) const {
  return {reinterpret_cast<std::uint8_t*>(const_cast<Bitmap&>(image_).Row(0)), image_.Width(), image_.Height(),
          image_.Pitch() * 4};
}

void WebDisplay::Send(int, int, std::span<const Rect> rects, bool whole) {
  const Rect all{0, 0, image_.Width(), image_.Height()};
  if (whole) rects = {&all, 1};
  coderain_canvas_put(reinterpret_cast<const std::uint8_t*>(image_.Row(0)), image_.Width(), image_.Height(),
                      reinterpret_cast<const int*>(rects.data()), static_cast<int>(rects.size()));
  ++presents_;
}

const DisplayRow<WebDisplay>& WebDisplayRow() {
  static const DisplayRow<WebDisplay> row{
      "web",
      // A page has its canvas, or none at all.
      [](const LaunchRequest&) { return Probe::Named; },
      nullptr,
      false,
      [](const LaunchRequest& request, bool* answered, std::string* error) {
        *answered = true;
        return WebDisplay::Open(request, error);
      },
  };
  return row;
}

}  // namespace coderain
