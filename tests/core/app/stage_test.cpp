#include "core/app/stage.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace coderain {
namespace {

TEST(Stage, ANewSizeIsANewScene) {
  SeededRandom random(1);
  Stage stage(test::PinnedFontFiles(), &random, CODERAIN_TEST_DATA);
  std::string error;
  Bitmap small(800, 600), large(1024, 768);
  ASSERT_TRUE(stage.Start(&small, 0, &error)) << error;
  stage.RunUntil(3000);
  EXPECT_NE(stage.Form().State.BurstDone, 0);

  large.Fill(Rgb(255, 0, 0));
  ASSERT_TRUE(stage.Start(&large, 3000, &error)) << error;
  Form1& f = stage.Form();
  EXPECT_EQ(f.State.BurstDone, 0);
  EXPECT_EQ(f.picWatch.OuterRect().x, 828);
  EXPECT_EQ(test::CountPixels(stage.Frame(), stage.Frame().Bounds(), kBlack), 1024 * 768);
  // The new scene's timers start at the time of the change.
  EXPECT_EQ(stage.NextDue(), 3010);
  stage.RunUntil(3010);
  EXPECT_NE(f.State.BurstDone, 0);
}

TEST(Stage, InputReachesTheFormThroughTheRules) {
  SeededRandom random(1);
  Stage stage(test::PinnedFontFiles(), &random, CODERAIN_TEST_DATA);
  std::string error;
  Bitmap frame(1024, 768), other(800, 600);
  ASSERT_TRUE(stage.Start(&frame, 0, &error)) << error;
  const int held[] = {36};
  stage.WindowAppeared(held);
  stage.KeyDown(36);
  stage.ButtonDown({50, 250});  // picC
  stage.ButtonUp({50, 250});
  EXPECT_FALSE(stage.Ended());
  // Pressed on picC, released on picASM: not a click.
  stage.ButtonDown({50, 250});
  stage.ButtonUp({50, 50});
  EXPECT_FALSE(stage.Ended());
  // The rules outlive a restart: the held key still does not count.
  ASSERT_TRUE(stage.Start(&other, 100, &error)) << error;
  stage.KeyDown(36);
  EXPECT_FALSE(stage.Ended());
  stage.ButtonDown({50, 50});
  stage.ButtonUp({50, 50});
  EXPECT_TRUE(stage.Ended());
}

TEST(Stage, AClickOutsideTheSceneIsOnTheBareScreen) {
  // Other monitors and the columns past a scaled scene are bare screen.
  for (const Point p : {Point{-1, -1}, Point{1024, 10}, Point{10, 768}}) {
    SeededRandom random(1);
    Stage stage(test::PinnedFontFiles(), &random, CODERAIN_TEST_DATA);
    std::string error;
    Bitmap frame(1024, 768);
    ASSERT_TRUE(stage.Start(&frame, 0, &error)) << error;
    stage.ButtonDown({50, 250});  // picC, where a click does nothing
    stage.ButtonUp(p);
    EXPECT_FALSE(stage.Ended());
    stage.ButtonDown(p);
    stage.ButtonUp(p);
    EXPECT_TRUE(stage.Ended()) << p.x << "," << p.y;
  }
}

}  // namespace
}  // namespace coderain
