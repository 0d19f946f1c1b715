#include "core/run/framebuffer_display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "core/app/stage.h"
#include "core/base/clock.h"
#include "core/run/scene_loop.h"
#include "test_support.h"

namespace coderain {
namespace {

// A backend of plain memory whose system holds the last `keep` images it
// was sent, until Release or newer ones push them out; while every image is
// held no image is free. An image written while it was held fails the test
// when it is let go. Images past 2^20 pixels cannot be had.
class FakeBackend : public FramebufferDisplay {
 public:
  explicit FakeBackend(bool lent = false, int images = 1, PixelLayout layout = {})
      : FramebufferDisplay(lent ? kLentWindow : kOwnWindows),
        layout_(layout),
        held_(static_cast<std::size_t>(images)) {}
  ~FakeBackend() override {
    for (int i : order_) Check(i);
  }
  using FramebufferDisplay::AddScreen;
  using FramebufferDisplay::Refit;

  void Release(int index) {
    if (std::erase(order_, index)) Check(index);
  }
  void ReleaseAll() {
    while (!order_.empty()) Release(order_.front());
  }
  // Image `index` as a bitmap (a 4-byte layout's).
  Bitmap Shown(int index) const {
    const ImageView v = Image(0, index);
    return Bitmap(reinterpret_cast<std::uint32_t*>(v.pixels), v.width, v.height, v.pitch / 4);
  }
  struct Sent {
    int index;
    std::vector<Rect> rects;
    bool whole;
  };
  std::vector<Sent> sent;
  int keep = 0;

 private:
  void Show() override {}
  PixelLayout Layout(int) const override { return layout_; }
  int ImageCount(int) const override { return static_cast<int>(held_.size()); }
  bool MakeImages(int, int width, int height, std::string* error) override {
    if (static_cast<long long>(width) * height > 1 << 20) {
      *error = NoMemoryFor(width, height);
      return false;
    }
    width_ = width, height_ = height;
    images_.assign(held_.size(), std::vector<std::uint8_t>(static_cast<std::size_t>(width * height * 4)));
    held_.assign(held_.size(), {});
    order_.clear();
    return true;
  }
  ImageView Image(int, int index) const override {
    auto& image = const_cast<std::vector<std::uint8_t>&>(images_[static_cast<std::size_t>(index)]);
    return {image.data(), width_, height_, width_ * layout_.bytesPerPixel};
  }
  int FreeImage(int) override {
    for (std::size_t i = 0; i < held_.size(); ++i)
      if (!Held(0, static_cast<int>(i))) return static_cast<int>(i);
    return -1;
  }
  bool Held(int, int index) const override { return std::count(order_.begin(), order_.end(), index) != 0; }
  void Send(int, int index, std::span<const Rect> rects, bool whole) override {
    EXPECT_FALSE(Held(0, index)) << "image " << index << " sent again while held";
    sent.push_back({index, {rects.begin(), rects.end()}, whole});
    if (keep == 0) return;
    held_[static_cast<std::size_t>(index)] = images_[static_cast<std::size_t>(index)];
    order_.push_back(index);
    if (static_cast<int>(order_.size()) > keep) Release(order_.front());
  }
  void Check(int index) const {
    EXPECT_EQ(images_[static_cast<std::size_t>(index)], held_[static_cast<std::size_t>(index)])
        << "image " << index << " written while held";
  }

  PixelLayout layout_;
  std::vector<std::vector<std::uint8_t>> held_;  // each image as it was sent, while held
  std::vector<int> order_;                       // the images held, the oldest first
  std::vector<std::vector<std::uint8_t>> images_;
  int width_ = 0, height_ = 0;
};

// Draws as the scene's loop does: the display told first, then a
// rectangle, then a present of everything not yet sent. Keeps what it drew
// apart, to compare.
struct Scene {
  explicit Scene(FakeBackend& display) : d(display), drawn(d.Frame(0).Width(), d.Frame(0).Height()) {}
  bool Draw(Rect r, Color c) {
    d.PrepareToDraw(0, unsent);
    d.Frame(0).FillRect(r, c);
    drawn.FillRect(r, c);
    unsent.Add(r);
    if (!d.Present(0, unsent)) return false;
    unsent.Clear();
    return true;
  }
  // Where image `index` is not what was drawn scaled up by `up` (black
  // past it).
  std::string Stale(int index, int up = 1) {
    const Bitmap shown = d.Shown(index);
    return test::FirstDifference(shown, shown.Bounds(), [&](int x, int y) {
      return x / up < drawn.Width() && y / up < drawn.Height() ? drawn.Pixel(x / up, y / up) : kBlack;
    });
  }
  FakeBackend& d;
  Bitmap drawn;
  DamageList unsent;
};

TEST(FramebufferDisplay, DrawsIntoAnImageOnlyWhereNothingIsConvertedOrScaled) {
  struct Case {
    int images, bytes, scale;
    bool onImage;
  } cases[] = {{1, 4, 1, true}, {2, 4, 1, true}, {1, 3, 1, false}, {1, 4, 2, false}, {2, 4, 2, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.images << " images, " << c.bytes << " bytes, scale " << c.scale);
    FakeBackend d(false, c.images, {.bytesPerPixel = c.bytes});
    std::string error;
    ASSERT_TRUE(d.AddScreen(0, {.width = 64, .height = 48, .requestedScale = c.scale}, &error)) << error;
    EXPECT_EQ(d.Frame(0).Width(), 64 / c.scale);
    EXPECT_EQ(d.Frame(0).Row(0) == d.Shown(0).Row(0), c.onImage);
    if (c.bytes != 4) continue;
    Scene scene(d);
    EXPECT_TRUE(scene.Draw({3, 4, 20, 10}, Rgb(0, 200, 0)));
    EXPECT_EQ(scene.Stale(0, c.scale), "");
  }
}

TEST(FramebufferDisplay, NeverWritesAHeldImageAndSendsTheWholeFrame) {
  // How long the system holds what it is sent: `keep` images, all of them
  // let go at every `flush`-th draw.
  struct Case {
    int scale, keep, flush;
  } cases[] = {{1, 0, 0}, {1, 1, 0}, {1, 2, 5}, {1, 2, 40}, {2, 1, 0}, {2, 2, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "scale " << c.scale << ", " << c.keep << " held, let go every " << c.flush);
    FakeBackend d(false, 2);
    d.keep = c.keep;
    std::string error;
    ASSERT_TRUE(d.AddScreen(0, {.width = 64, .height = 48, .requestedScale = c.scale}, &error)) << error;
    const Bitmap* frame = &d.Frame(0);
    Scene scene(d);
    std::mt19937 random(7);
    int refused = 0;
    for (int i = 1; i <= 300; ++i) {
      if (c.flush && i % c.flush == 0) d.ReleaseAll();
      const auto at = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
      const std::size_t sends = d.sent.size();
      refused += !scene.Draw({at(40), at(30), 1 + at(24), 1 + at(18)}, Rgb(0, at(256), at(256)));
      if (d.sent.size() > sends) {
        ASSERT_EQ(scene.Stale(d.sent.back().index, c.scale), "") << "draw " << i;
      }
    }
    EXPECT_EQ(&d.Frame(0), frame);
    EXPECT_EQ(refused > 0, c.keep == 2);
    // Let go at once, the frame stays on one image and nothing is copied.
    if (c.keep == 0) {
      EXPECT_EQ(d.Frame(0).Row(0), d.Shown(0).Row(0));
      EXPECT_EQ(test::CountPixels(d.Shown(1), d.Shown(1).Bounds(), kBlack), 64 * 48);
    }
  }
}

TEST(FramebufferDisplay, HeldImagesRefusePresentsAndCatchUpOnWhatTheyMissed) {
  for (const int scale : {1, 2}) {
    SCOPED_TRACE(testing::Message() << "scale " << scale);
    FakeBackend d(false, 2);
    d.keep = 2;
    std::string error;
    ASSERT_TRUE(d.AddScreen(0, {.width = 64, .height = 48, .requestedScale = scale}, &error)) << error;
    Scene scene(d);
    EXPECT_TRUE(scene.Draw({0, 0, 8, 8}, Rgb(0, 255, 0)));
    EXPECT_TRUE(scene.Draw({10, 0, 8, 8}, Rgb(0, 128, 0)));
    EXPECT_FALSE(scene.Draw({20, 0, 8, 8}, Rgb(0, 64, 0)));
    // Image 0, free again, gets what it missed but sends only the damage.
    d.Release(0);
    ASSERT_TRUE(scene.Draw({20, 8, 8, 8}, Rgb(0, 64, 0)));
    EXPECT_EQ(d.sent.back().index, 0);
    EXPECT_EQ(d.sent.back().rects, (std::vector<Rect>{{20 * scale, 0, 8 * scale, 8 * scale},
                                                      {20 * scale, 8 * scale, 8 * scale, 8 * scale}}));
    EXPECT_EQ(scene.Stale(0, scale), "");
    // Image 1 held through more presents than its missed list keeps.
    for (int i = 0; i < 600; ++i) {
      d.Release(0);
      ASSERT_TRUE(scene.Draw({i % 32, i / 32, 1, 1}, Rgb(0, 0, i % 256)));
    }
    d.Release(1);
    ASSERT_TRUE(scene.Draw({0, 23, 1, 1}, kBlack));
    EXPECT_EQ(d.sent.back().index, 1);
    EXPECT_EQ(scene.Stale(1, scale), "");
  }
}

TEST(FramebufferDisplay, AWholePresentWaitsForAFreeImageAndSendsItAll) {
  for (const int images : {1, 2}) {
    SCOPED_TRACE(testing::Message() << images << " images");
    FakeBackend d(false, images);
    d.keep = 1;
    std::string error;
    ASSERT_TRUE(d.AddScreen(0, {.width = 64, .height = 48}, &error)) << error;
    Scene scene(d);
    EXPECT_TRUE(scene.Draw({0, 0, 4, 4}, Rgb(0, 255, 0)));
    // With the image it drew into held, the frame goes whole from another
    // where there is one, else once that one is let go.
    d.PresentAll(0);
    EXPECT_EQ(d.Pending(0), images == 1);
    EXPECT_EQ(d.sent.size(), images == 1 ? 1u : 2u);
    d.Release(0);
    if (images == 1) {
      ASSERT_TRUE(d.Present(0, DamageList{}));
    }
    EXPECT_FALSE(d.Pending(0));
    EXPECT_TRUE(d.sent.back().whole);
    EXPECT_TRUE(d.sent.back().rects.empty());
    EXPECT_EQ(scene.Stale(d.sent.back().index), "");
  }
}

TEST(FramebufferDisplay, TheLoopsSceneShowsTheSameWhetherItFlipsOrNot) {
  // One image, and two of which the system holds the one shown last until
  // the next replaces it (as a compositor that reads it in place does):
  // the scene moves at every frame, and what is sent is the same picture.
  FakeBackend one, two(false, 2);
  two.keep = 1;
  std::string error;
  for (FakeBackend* d : {&one, &two}) ASSERT_TRUE(d->AddScreen(0, {.width = 1024, .height = 768}, &error)) << error;
  VirtualClock clock;
  Stage stageOne(test::PinnedFontFiles(), 7, CODERAIN_TEST_DATA),
      stageTwo(test::PinnedFontFiles(), 7, CODERAIN_TEST_DATA);
  SceneLoop loopOne(&one, &stageOne, kOwnWindows), loopTwo(&two, &stageTwo, kOwnWindows);
  LoopStatus a = loopOne.Start(clock), b = loopTwo.Start(clock);
  while (clock.now < 3000 && a.running && b.running) {
    clock.now = std::min(a.wakeAt, b.wakeAt);
    a = loopOne.Step(clock, {});
    b = loopTwo.Step(clock, {});
    ASSERT_EQ(one.sent.size(), two.sent.size());
    ASSERT_EQ(test::FirstDifference(two.Shown(two.sent.back().index), one.Shown(0)), "") << "at " << clock.now;
  }
  EXPECT_GT(two.sent.size(), 150u);
  EXPECT_NE(two.sent[two.sent.size() - 1].index, two.sent[two.sent.size() - 2].index);
}

TEST(FramebufferDisplay, ASizeWhoseMemoryCannotBeHadKeepsWhatThereWas) {
#ifdef __SANITIZE_ADDRESS__
  // The sanitizer's allocator ends the process where an allocation this
  // large would fail; the build without it runs the test.
  GTEST_SKIP() << "an allocation that fails ends a sanitized process";
#endif
  const OutputFacts huge{.width = INT_MAX, .height = INT_MAX};
  for (const bool lent : {false, true}) {
    FakeBackend d(lent, 2);
    std::string error;
    EXPECT_FALSE(d.AddScreen(0, huge, &error));
    EXPECT_EQ(error, NoMemoryFor(INT_MAX / 8, INT_MAX / 8));  // the frame, at the largest scale
    EXPECT_TRUE(d.Screens().empty());
    EXPECT_FALSE(d.AddScreen(0, {.width = 1025, .height = 1024}, &error));
    EXPECT_EQ(error, NoMemoryFor(1025, 1024));  // the images
    ASSERT_TRUE(d.AddScreen(0, {.width = 64, .height = 48}, &error)) << error;
    const std::optional<DisplayEvent> resized = d.Refit(0, {.width = 80, .height = 60});
    ASSERT_TRUE(resized);
    EXPECT_EQ(resized->kind, DisplayEvent::Kind::Resized);
    EXPECT_EQ(d.Frame(0).Width(), 80);
    // Our own window cannot go on; a lent one keeps the scene as it was.
    const std::optional<DisplayEvent> failed = d.Refit(0, huge);
    ASSERT_EQ(failed.has_value(), !lent);
    if (failed) {
      EXPECT_EQ(failed->kind, DisplayEvent::Kind::Failed);
      EXPECT_EQ(failed->text, NoMemoryFor(INT_MAX / 8, INT_MAX / 8));
    }
    EXPECT_EQ(d.Frame(0).Width(), 80);
  }
}

}  // namespace
}  // namespace coderain
