#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/gfx/font.h"
#include "test_support.h"

namespace coderain {
namespace {

TEST(FreeTypeFonts, TheSceneFaceDoesNotFollowTheSystemsMonospace) {
  // A desktop whose monospace is a thin serif face (Nimbus Mono PS, which
  // fonts-urw-base35 brings along with printing and office programs).
  test::TempDir dir;
  const std::filesystem::path conf = dir.Write("fonts.conf", R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <alias binding="strong"><family>monospace</family><prefer><family>Nimbus Mono PS</family></prefer></alias>
</fontconfig>
)");
  ASSERT_EQ(setenv("FONTCONFIG_FILE", conf.c_str(), 1), 0);
  FontFaces faces;
  std::string error;
  const bool found = FindSceneFonts(&faces, &error);
  unsetenv("FONTCONFIG_FILE");
  ASSERT_TRUE(found) << error;
  EXPECT_EQ(std::filesystem::path(faces.regular).filename(), "DejaVuSansMono.ttf");
  EXPECT_EQ(std::filesystem::path(faces.bold).filename(), "DejaVuSansMono-Bold.ttf");
}

}  // namespace
}  // namespace coderain
