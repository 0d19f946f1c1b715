#include "core/run/framebuffer_display.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "core/app/stage.h"
#include "core/run/scene_loop.h"
#include "test_support.h"

namespace coderain {
namespace {

// A backend of plain memory whose system may hold what it was sent: with
// `keep` 1 the image sent last, until another is sent; with 2 every image
// sent, until Release. While every image is held no image is free; one
// written while held fails the test when let go. Images past 2^20 pixels
// cannot be had.
class FakeBackend : public FramebufferDisplay {
 public:
  explicit FakeBackend(bool lent = false, int images = 1, PixelLayout layout = {})
      : FramebufferDisplay(lent ? kLentWindow : kOwnWindows),
        layout_(layout),
        held_(static_cast<std::size_t>(images)) {}
  ~FakeBackend() override {
    for (int i = 0; i < ImageCount(0); ++i) Release(i);
  }
  using FramebufferDisplay::AddScreen;
  using FramebufferDisplay::Refit;

  void Release(int index) {
    auto& held = held_[static_cast<std::size_t>(index)];
    EXPECT_TRUE(!held || *held == images_[static_cast<std::size_t>(index)])
        << "image " << index << " written while held";
    held.reset();
  }
  // Image `index` as a bitmap (a 4-byte layout's).
  Bitmap Shown(int index) const {
    const ImageView v = Image(0, index);
    return Bitmap(reinterpret_cast<std::uint32_t*>(v.pixels), v.width, v.height, v.pitch / 4);
  }
  // Where image `index` is not the frame scaled up by `up` (black past it).
  std::string Stale(int index, int up = 1) {
    const Bitmap& frame = Frame(0);
    const Bitmap shown = Shown(index);
    return test::FirstDifference(shown, shown.Bounds(), [&](int x, int y) {
      return x / up < frame.Width() && y / up < frame.Height() ? frame.Pixel(x / up, y / up) : kBlack;
    });
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
    return true;
  }
  ImageView Image(int, int index) const override {
    auto& image = const_cast<std::vector<std::uint8_t>&>(images_[static_cast<std::size_t>(index)]);
    return {image.data(), width_, height_, width_ * layout_.bytesPerPixel};
  }
  int FreeImage(int) override {
    for (std::size_t i = 0; i < held_.size(); ++i)
      if (!held_[i]) return static_cast<int>(i);
    return -1;
  }
  bool Held(int, int index) const override { return held_[static_cast<std::size_t>(index)].has_value(); }
  void Send(int, int index, std::span<const Rect> rects, bool whole) override {
    EXPECT_FALSE(Held(0, index)) << "image " << index << " sent again while held";
    sent.push_back({index, {rects.begin(), rects.end()}, whole});
    for (int i = 0; keep == 1 && i < ImageCount(0); ++i) Release(i);
    if (keep > 0) held_[static_cast<std::size_t>(index)] = images_[static_cast<std::size_t>(index)];
  }

  PixelLayout layout_;
  std::vector<std::optional<std::vector<std::uint8_t>>> held_;  // each image held as it was sent
  std::vector<std::vector<std::uint8_t>> images_;
  int width_ = 0, height_ = 0;
};

DamageList Drawn(Bitmap& frame, Rect r, Color c) {
  frame.FillRect(r, c);
  DamageList d;
  d.Add(r);
  return d;
}

TEST(FramebufferDisplay, DrawsIntoAnImageOnlyWhereNothingIsConvertedOrScaled) {
  struct Case {
    int images, bytes, scale;
    bool direct;
  } cases[] = {{1, 4, 1, true}, {2, 4, 1, true}, {1, 3, 1, false}, {1, 4, 2, false}, {2, 4, 2, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.images << " images, " << c.bytes << " bytes, scale " << c.scale);
    FakeBackend d(false, c.images, {.bytesPerPixel = c.bytes});
    std::string error;
    ASSERT_TRUE(d.AddScreen(0, {.width = 64, .height = 48, .requestedScale = c.scale}, &error)) << error;
    EXPECT_EQ(d.Frame(0).Width(), 64 / c.scale);
    EXPECT_EQ(d.Frame(0).Row(0) == d.Shown(0).Row(0), c.direct);
    if (c.bytes != 4) continue;
    EXPECT_TRUE(d.Present(0, Drawn(d.Frame(0), {3, 4, 20, 10}, Rgb(0, 200, 0))));
    EXPECT_EQ(d.Stale(0, c.scale), "");
  }
}

TEST(FramebufferDisplay, HeldImagesRefusePresentsAndCatchUpOnWhatTheyMissed) {
  FakeBackend d(false, 2, {.alphaMask = 0xFF000000u});  // converted: copied into
  d.keep = 2;
  std::string error;
  ASSERT_TRUE(d.AddScreen(0, {.width = 64, .height = 48}, &error)) << error;
  Bitmap& frame = d.Frame(0);
  EXPECT_TRUE(d.Present(0, Drawn(frame, {0, 0, 8, 8}, Rgb(0, 255, 0))));
  EXPECT_TRUE(d.Present(0, Drawn(frame, {10, 0, 8, 8}, Rgb(0, 128, 0))));
  EXPECT_FALSE(d.Present(0, Drawn(frame, {20, 0, 8, 8}, Rgb(0, 64, 0))));
  // Image 0, free again, gets what it missed but sends only the damage.
  d.Release(0);
  ASSERT_TRUE(d.Present(0, Drawn(frame, {20, 0, 8, 8}, Rgb(0, 64, 0))));
  EXPECT_EQ(d.sent.back().index, 0);
  EXPECT_EQ(d.sent.back().rects, (std::vector<Rect>{{20, 0, 8, 8}}));
  EXPECT_EQ(d.Stale(0), "");
  // Image 1 held through more presents than its missed list keeps.
  for (int i = 0; i < 600; ++i) {
    d.Release(0);
    ASSERT_TRUE(d.Present(0, Drawn(frame, {i % 64, 10 + i / 64, 1, 1}, Rgb(0, 0, i % 256))));
  }
  d.Release(1);
  ASSERT_TRUE(d.Present(0, Drawn(frame, {0, 40, 1, 1}, kBlack)));
  EXPECT_EQ(d.sent.back().index, 1);
  EXPECT_EQ(d.Stale(1), "");
}

TEST(FramebufferDisplay, AWholePresentWaitsForAFreeImageAndSendsItAll) {
  FakeBackend d;
  d.keep = 1;
  std::string error;
  ASSERT_TRUE(d.AddScreen(0, {.width = 64, .height = 48}, &error)) << error;
  EXPECT_TRUE(d.Present(0, Drawn(d.Frame(0), {0, 0, 4, 4}, Rgb(0, 255, 0))));
  d.PresentAll(0);
  EXPECT_TRUE(d.Pending(0));
  EXPECT_EQ(d.sent.size(), 1u);
  d.Release(0);
  ASSERT_TRUE(d.Present(0, DamageList{}));
  EXPECT_FALSE(d.Pending(0));
  EXPECT_TRUE(d.sent.back().whole);
  EXPECT_TRUE(d.sent.back().rects.empty());
}

TEST(FramebufferDisplay, TheLoopNeverWritesAHeldImageAndShowsWhatOneImageWould) {
  // Held not at all, the image shown last until the next (as sway's pixman
  // renderer does: the frame moves every frame), or both for five steps
  // at a time; now and then an exposure. What is sent is what the same
  // scene shows on one image.
  for (const int keep : {0, 1, 2}) {
    SCOPED_TRACE(testing::Message() << "keep " << keep);
    FakeBackend one, two(false, 2);
    two.keep = keep;
    std::string error;
    for (FakeBackend* d : {&one, &two}) ASSERT_TRUE(d->AddScreen(0, {.width = 1024, .height = 768}, &error));
    VirtualClock clock;
    Stage stageOne(test::PinnedFontFiles(), 7, CODERAIN_TEST_DATA),
        stageTwo(test::PinnedFontFiles(), 7, CODERAIN_TEST_DATA);
    SceneLoop loopOne(&one, &stageOne, kOwnWindows), loopTwo(&two, &stageTwo, kOwnWindows);
    LoopStatus a = loopOne.Start(clock), b = loopTwo.Start(clock);
    for (int step = 1; clock.now < 2000; ++step) {
      clock.now = std::min(a.wakeAt, b.wakeAt);
      if (step % 5 == 0) two.Release(0), two.Release(1);
      if (step % 7 == 0) one.PresentAll(0), two.PresentAll(0);  // an exposure
      const std::size_t sent = two.sent.size();
      a = loopOne.Step(clock, {});
      b = loopTwo.Step(clock, {});
      if (two.sent.size() > sent) {
        ASSERT_EQ(test::FirstDifference(two.Shown(two.sent.back().index), one.Shown(0)), "");
      }
    }
    EXPECT_GT(two.sent.size(), 40u);
    // Let go at once, the frame stays on one image: nothing is copied.
    EXPECT_TRUE(keep != 0 || test::CountPixels(two.Shown(1), two.Shown(1).Bounds(), kBlack) == 1024 * 768);
  }
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
