#include "core/app/stage.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace coderain {
namespace {

TEST(Stage, ANewSizeIsANewScene) {
  Stage stage(test::PinnedFontFiles(), 1, CODERAIN_TEST_DATA);
  std::string error;
  Bitmap small(800, 600), large(1024, 768);
  ASSERT_TRUE(stage.Start(0, &small, 0, &error)) << error;
  stage.Scene(0)->RunUntil(3000);
  EXPECT_NE(stage.Scene(0)->State.BurstDone, 0);

  large.Fill(Rgb(255, 0, 0));
  ASSERT_TRUE(stage.Start(0, &large, 3000, &error)) << error;
  Form1& f = *stage.Scene(0);
  EXPECT_EQ(f.State.BurstDone, 0);
  EXPECT_EQ(f.picWatch.OuterRect().x, 828);
  EXPECT_EQ(test::CountPixels(large, large.Bounds(), kBlack), 1024 * 768);
  // The new scene's timers start at the time of the change.
  EXPECT_EQ(f.NextDue(), 3010);
  f.RunUntil(3010);
  EXPECT_NE(f.State.BurstDone, 0);
}

TEST(Stage, InputReachesTheScenesThroughTheRules) {
  Stage stage(test::PinnedFontFiles(), 1, CODERAIN_TEST_DATA);
  std::string error;
  Bitmap frame(1024, 768), other(800, 600), second(1024, 768);
  ASSERT_TRUE(stage.Start(0, &frame, 0, &error)) << error;
  ASSERT_TRUE(stage.Start(1, &second, 0, &error)) << error;
  const int held[] = {36};
  stage.WindowAppeared(held);
  stage.KeyDown(36);
  stage.ButtonDown(0, {50, 250});  // picC
  stage.ButtonUp(0, {50, 250});
  EXPECT_FALSE(stage.Ended());
  // Pressed on picC, released on picASM: not a click; nor pressed on one
  // screen's bare screen and released on another's.
  stage.ButtonDown(0, {50, 250});
  stage.ButtonUp(0, {50, 50});
  stage.ButtonDown(0, {600, 300});
  stage.ButtonUp(1, {600, 300});
  EXPECT_FALSE(stage.Ended());
  // The rules outlive a restart: the held key still does not count.
  ASSERT_TRUE(stage.Start(0, &other, 100, &error)) << error;
  stage.KeyDown(36);
  EXPECT_FALSE(stage.Ended());
  stage.ButtonDown(1, {50, 50});
  stage.ButtonUp(1, {50, 50});
  EXPECT_TRUE(stage.Ended());
}

TEST(Stage, AClickOutsideTheSceneIsOnTheBareScreen) {
  // Other monitors and the columns past a scaled scene are bare screen.
  for (const Point p : {Point{-1, -1}, Point{1024, 10}, Point{10, 768}}) {
    Stage stage(test::PinnedFontFiles(), 1, CODERAIN_TEST_DATA);
    std::string error;
    Bitmap frame(1024, 768);
    ASSERT_TRUE(stage.Start(0, &frame, 0, &error)) << error;
    stage.ButtonDown(0, {50, 250});  // picC, where a click does nothing
    stage.ButtonUp(0, p);
    EXPECT_FALSE(stage.Ended());
    stage.ButtonDown(0, p);
    stage.ButtonUp(0, p);
    EXPECT_TRUE(stage.Ended()) << p.x << "," << p.y;
  }
}

}  // namespace
}  // namespace coderain
