// What the environment says to each display's row of the table.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "displays/wayland/wayland_display.h"
#include "displays/x11/x11_display.h"
#undef None
#undef Bool

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "test_support.h"

namespace coderain {
namespace {

void SetOrUnset(const char* name, const char* value) {
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
}

TEST(DisplayRows, WhatTheEnvironmentNames) {
  using M = LaunchRequest::Mode;
  using P = Probe;
  test::TempDir run;
  // The usual socket, where a case has one: a Unix socket named wayland-0.
  const std::string socketPath = (run.Path() / "wayland-0").string();
  const auto usualSocket = [&](bool there) {
    unlink(socketPath.c_str());
    if (!there) return;
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, socketPath.c_str(), sizeof a.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    close(fd);
  };
  struct Row {
    M mode;
    const char* option;   // --display
    const char* display;  // DISPLAY, null when unset
    const char* wayland;  // WAYLAND_DISPLAY
    bool socket;          // the usual socket is there
    Probe x11, wl;
  };
  const Row rows[] = {
      {M::OwnWindow, "", ":0", nullptr, false, P::Named, P::NotNamed},
      {M::OwnWindow, "", ":0", "wayland-0", false, P::Named, P::Named},
      {M::OwnWindow, "", ":0", nullptr, true, P::Named, P::Named},
      {M::OwnWindow, "", nullptr, "wayland-0", false, P::NotNamed, P::Named},
      {M::OwnWindow, "", nullptr, nullptr, true, P::NotNamed, P::Named},
      {M::OwnWindow, "", "", nullptr, false, P::NotNamed, P::NotNamed},
      {M::OwnWindow, "", "", "", false, P::NotNamed, P::NotNamed},
      {M::OwnWindow, ":3", nullptr, "wayland-0", true, P::Named, P::Excluded},
      {M::LentWindow, "", nullptr, "wayland-0", true, P::Named, P::Excluded},
      {M::Preview, "", ":0", "wayland-0", false, P::Named, P::Excluded},
  };
  const char* saved[] = {std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_RUNTIME_DIR")};
  const std::string kept[] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : "", saved[2] ? saved[2] : ""};
  setenv("XDG_RUNTIME_DIR", run.Path().c_str(), 1);
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.option) + " / " + (r.display ? r.display : "-") + " / " + (r.wayland ? r.wayland : "-") +
                 " / " + (r.socket ? "socket" : "no socket"));
    SetOrUnset("DISPLAY", r.display);
    SetOrUnset("WAYLAND_DISPLAY", r.wayland);
    usualSocket(r.socket);
    LaunchRequest request;
    request.mode = r.mode;
    request.display = r.option;
    EXPECT_EQ(X11DisplayRow().probe(request), r.x11);
    EXPECT_EQ(WaylandDisplayRow().probe(request), r.wl);
  }
  const char* names[] = {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"};
  for (int i = 0; i < 3; ++i) SetOrUnset(names[i], saved[i] ? kept[i].c_str() : nullptr);
}

}  // namespace
}  // namespace coderain
