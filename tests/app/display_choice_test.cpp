#include "app/display_choice.h"

#include <gtest/gtest.h>

namespace coderain {
namespace {

TEST(DisplayChoice, WhichDisplayIsTriedWhen) {
  using K = DisplayKind;
  using M = LaunchRequest::Mode;
  struct Row {
    M mode;
    const char* option;   // --display
    const char* display;  // DISPLAY, null when unset
    const char* wayland;  // WAYLAND_DISPLAY
    std::vector<K> tried;
  };
  const Row rows[] = {
      {M::OwnWindow, "", ":0", nullptr, {K::X11}},
      {M::OwnWindow, "", ":0", "wayland-0", {K::X11, K::Wayland}},
      {M::OwnWindow, "", nullptr, "wayland-0", {K::Wayland}},
      {M::OwnWindow, "", "", nullptr, {K::Wayland}},
      {M::OwnWindow, ":3", nullptr, "wayland-0", {K::X11, K::Wayland}},
      {M::LentWindow, "", nullptr, "wayland-0", {K::X11}},
      {M::Preview, "", ":0", "wayland-0", {K::X11}},
  };
  for (const Row& r : rows) {
    LaunchRequest request;
    request.mode = r.mode;
    request.display = r.option;
    EXPECT_EQ(DisplaysToTry(request, r.display, r.wayland), r.tried)
        << r.option << " / " << (r.display ? r.display : "-") << " / " << (r.wayland ? r.wayland : "-");
  }
}

}  // namespace
}  // namespace coderain
