#include "core/run/display_choice.h"

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
    bool socket;          // the usual socket is there
    std::vector<K> tried;
  };
  const Row rows[] = {
      {M::OwnWindow, "", ":0", nullptr, false, {K::X11}},
      {M::OwnWindow, "", ":0", "wayland-0", false, {K::Wayland, K::X11}},
      {M::OwnWindow, "", ":0", nullptr, true, {K::Wayland, K::X11}},
      {M::OwnWindow, "", nullptr, "wayland-0", false, {K::Wayland}},
      {M::OwnWindow, "", nullptr, nullptr, true, {K::Wayland}},
      {M::OwnWindow, "", "", nullptr, false, {K::Wayland}},
      {M::OwnWindow, "", "", "", false, {K::Wayland}},
      // Set but empty is unset.
      {M::OwnWindow, "", ":0", "", false, {K::X11}},
      {M::OwnWindow, "", ":0", "", true, {K::Wayland, K::X11}},
      {M::OwnWindow, "", nullptr, "", true, {K::Wayland}},
      {M::OwnWindow, ":3", nullptr, "wayland-0", true, {K::X11}},
      {M::LentWindow, "", nullptr, "wayland-0", true, {K::X11}},
      {M::Preview, "", ":0", "wayland-0", false, {K::X11}},
  };
  for (const Row& r : rows) {
    LaunchRequest request;
    request.mode = r.mode;
    request.display = r.option;
    EXPECT_EQ(DisplaysToTry(request, r.display, r.wayland, r.socket), r.tried)
        << r.option << " / " << (r.display ? r.display : "-") << " / " << (r.wayland ? r.wayland : "-") << " / "
        << r.socket;
  }
}

}  // namespace
}  // namespace coderain
