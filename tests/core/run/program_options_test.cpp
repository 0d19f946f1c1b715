#include "core/run/program_options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace coderain {
namespace {

// Where the request draws: its own window, the daemon's, or a window by id.
enum class Target { OwnWindow, Root, WindowId };

struct Row {
  std::vector<const char*> args;
  int status;  // -1: runs
  Target target = Target::OwnWindow;
  std::uint64_t id = 0;
  int scale = 0;
  const char* display = "";
  const char* err = "";  // the start of what goes to stderr
  const char* output = "";
  bool everyMonitor = false;
  const char* data = "";
};

TEST(ProgramOptions, EveryFormAndEveryMistake) {
  using T = Target;
  const Row rows[] = {
      {{}, -1},
      {{"--window"}, -1},
      {{"-root"}, -1, T::Root},
      {{"--root", "--window"}, -1, T::OwnWindow},
      {{"--window-id", "0x1a00003"}, -1, T::WindowId, 0x1a00003},
      {{"-window-id=12345"}, -1, T::WindowId, 12345},
      {{"--window-id", "0X2f", "--root"}, -1, T::WindowId, 0x2f},
      {{"--root", "-window-id", "7"}, -1, T::WindowId, 7},
      {{"--display", ":3", "--scale=2"}, -1, T::OwnWindow, 0, 2, ":3"},
      {{"-scale", "8", "-install", "-visual", "default", "--mono", "--fps", "--no-fps", "--noinstall"},
       -1,
       T::OwnWindow,
       0,
       8},
      {{"--whatever=1", "plain"}, -1, T::OwnWindow, 0, 0, "", "coderain: ignoring unknown option --whatever\n"},
      {{"--window-id", "xyz"}, 1, T::OwnWindow, 0, 0, "", "coderain: --window-id xyz: not a window id"},
      {{"--window-id", "-5"}, 1, T::OwnWindow, 0, 0, "", "coderain: --window-id -5"},
      {{"--window-id", "0x"}, 1, T::OwnWindow, 0, 0, "", "coderain: --window-id 0x"},
      {{"--window-id", "12abc"}, 1, T::OwnWindow, 0, 0, "", "coderain: --window-id 12abc"},
      {{"--window-id", "0"}, 1, T::OwnWindow, 0, 0, "", "coderain: --window-id 0"},
      {{"--window-id", "99999999999999999999999"}, 1, T::OwnWindow, 0, 0, "", "coderain: --window-id 9"},
      {{"--window-id", "0x100200001"}, -1, T::WindowId, 0x100200001},  // a number, whether or not X has it
      {{"--window-id", "\x1b]2;x\a"}, 1, T::OwnWindow, 0, 0, "", "coderain: --window-id ?]2;x?: not"},
      {{"--window-id"}, 2, T::OwnWindow, 0, 0, "", "coderain: --window-id needs a value; usage: coderain"},
      {{"--scale", "0"}, 2, T::OwnWindow, 0, 0, "", "coderain: --scale takes a whole number from 1 to 8; usage"},
      {{"--scale", "9"}, 2, T::OwnWindow, 0, 0, "", "coderain: --scale takes"},
      {{"--scale", "x"}, 2, T::OwnWindow, 0, 0, "", "coderain: --scale takes"},
      {{"--scale", "2x"}, 2, T::OwnWindow, 0, 0, "", "coderain: --scale takes"},
      {{"--scale="}, 2, T::OwnWindow, 0, 0, "", "coderain: --scale takes"},
      // Plain ASCII digits and nothing else.
      {{"--scale", " 2"}, 2, T::OwnWindow, 0, 0, "", "coderain: --scale takes"},
      {{"--scale", "+3"}, 2, T::OwnWindow, 0, 0, "", "coderain: --scale takes"},
      {{"--scale", "0x2"}, 2, T::OwnWindow, 0, 0, "", "coderain: --scale takes"},
      {{"--scale", "2.5"}, 2, T::OwnWindow, 0, 0, "", "coderain: --scale takes"},
      {{"--scale", "\xD9\xA3"}, 2, T::OwnWindow, 0, 0, "", "coderain: --scale takes"},  // an Arabic-Indic three
      {{"--scale", "18446744073709551618"}, 2, T::OwnWindow, 0, 0, "", "coderain: --scale takes"},
      {{"--scale", "02"}, -1, T::OwnWindow, 0, 2},
      {{"--display"}, 2, T::OwnWindow, 0, 0, "", "coderain: --display needs a value"},
      {{"--output=DP-2", "--root"}, -1, T::Root, 0, 0, "", "", "DP-2"},
      {{"--output", ""}, 2, T::OwnWindow, 0, 0, "", "coderain: --output : not an output's name; usage"},
      {{"--output", "a b"}, 2, T::OwnWindow, 0, 0, "", "coderain: --output a b: not"},
      {{"--output", "\x1b[2J"}, 2, T::OwnWindow, 0, 0, "", "coderain: --output ?[2J: not"},
      {{"--output"}, 2, T::OwnWindow, 0, 0, "", "coderain: --output needs a value"},
      {{"-help", "--root"}, 0},
      {{"--every-monitor"}, -1, T::OwnWindow, 0, 0, "", "", "", true},
      {{"--data", "/home/u/my texts/", "-every-monitor", "--scale=3"},
       -1,
       T::OwnWindow,
       0,
       3,
       "",
       "",
       "",
       true,
       "/home/u/my texts"},
      {{"--root", "--data=t\xC3\xA9xtes"}, -1, T::Root, 0, 0, "", "", "", false, "t\xC3\xA9xtes"},
      {{"--data", "/"}, -1, T::OwnWindow, 0, 0, "", "", "", false, "/"},
      {{"--data="}, 2, T::OwnWindow, 0, 0, "", "coderain: --data takes a folder; usage: coderain"},
      {{"--data"}, 2, T::OwnWindow, 0, 0, "", "coderain: --data needs a value; usage"},
  };
  for (const Row& row : rows) {
    std::vector<const char*> argv = {"coderain"};
    argv.insert(argv.end(), row.args.begin(), row.args.end());
    std::string line;
    for (const char* a : argv) line += std::string(a) + " ";
    SCOPED_TRACE(line);
    LaunchRequest o;
    std::ostringstream out, err;
    EXPECT_EQ(ParseProgramOptions(static_cast<int>(argv.size()), argv.data(), &o, out, err), row.status);
    const std::string said = err.str();
    EXPECT_EQ(said.rfind(row.err, 0), 0u) << said;
    // Whatever goes wrong is said in one line.
    EXPECT_LE(std::count(said.begin(), said.end(), '\n'), 1);
    if (row.status == 0) {
      EXPECT_EQ(out.str().rfind("usage: coderain", 0), 0u);
    }
    if (row.status != -1) continue;
    EXPECT_EQ(o.mode, row.target == T::OwnWindow ? LaunchRequest::Mode::OwnWindow : LaunchRequest::Mode::LentWindow);
    EXPECT_EQ(o.daemonWindow, row.target == T::Root);
    EXPECT_EQ(o.window, row.id);
    EXPECT_EQ(o.scale, row.scale);
    EXPECT_EQ(o.display, row.display);
    EXPECT_EQ(o.output, row.output);
    EXPECT_EQ(o.everyMonitor, row.everyMonitor);
    EXPECT_EQ(o.dataDir, row.data);
  }
}

// What it does not know, or cannot do, it says in a line each and runs on.
TEST(ProgramOptions, SaysWhatItSetsAside) {
  const std::string lent = "coderain: --every-monitor is for its own windows; the window given to it shows one scene\n";
  const std::pair<std::vector<const char*>, std::string> rows[] = {
      {{"--every-monitors"}, "coderain: ignoring unknown option --every-monitors (did you mean --every-monitor?)\n"},
      {{"-roto"}, "coderain: ignoring unknown option -roto (did you mean --root?)\n"},
      {{"--Window-ID=5"}, "coderain: ignoring unknown option --Window-ID (did you mean --window-id?)\n"},
      {{"--dat", "x", "-q"},
       "coderain: ignoring unknown option --dat (did you mean --data?)\ncoderain: ignoring unknown option -q\n"},
      {{"--screen", "--\x1b[2J"},
       "coderain: ignoring unknown option --screen\ncoderain: ignoring unknown option --?[2J\n"},
      {{"-install", "-visual", "default", "--fps", "-", "plain"}, ""},  // what daemons pass to all
      {{"--every-monitor", "--root"}, lent},
      {{"--every-monitor", "--window-id", "7"}, lent},
  };
  for (const auto& [args, said] : rows) {
    std::vector<const char*> argv = {"coderain"};
    argv.insert(argv.end(), args.begin(), args.end());
    LaunchRequest o;
    std::ostringstream out, err;
    EXPECT_EQ(ParseProgramOptions(static_cast<int>(argv.size()), argv.data(), &o, out, err), -1) << args[0];
    EXPECT_EQ(err.str(), said);
  }
}

// The frame-rate caps and the wallpaper: a value makes --fps the cap, a
// daemon's bare -fps is set aside.
TEST(ProgramOptions, RatesAndTheWallpaper) {
  struct Case {
    std::vector<const char*> args;
    int status, fps, batteryFps;
    LaunchRequest::Mode mode = LaunchRequest::Mode::OwnWindow;
  };
  const int half = FrameRate::kHalfOnBattery;
  const Case cases[] = {
      {{}, -1, 60, half},
      {{"--fps", "15"}, -1, 15, half},
      {{"-fps=1", "--battery-fps", "0"}, -1, 1, 0},
      {{"--root", "-fps"}, -1, 60, half, LaunchRequest::Mode::LentWindow},
      {{"--fps", "--wallpaper"}, -1, 60, half, LaunchRequest::Mode::Wallpaper},
      {{"--fps", "0"}, 2, 0, 0},
      {{"--fps", "61"}, 2, 0, 0},
      {{"--fps=x"}, 2, 0, 0},
      {{"--battery-fps", "61"}, 2, 0, 0},
      {{"--battery-fps"}, 2, 0, 0},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = {"coderain"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(argv.size() > 1 ? argv[1] : "none");
    LaunchRequest o;
    std::ostringstream out, err;
    ASSERT_EQ(ParseProgramOptions(static_cast<int>(argv.size()), argv.data(), &o, out, err), c.status);
    if (c.status != -1) {
      EXPECT_EQ(err.str().rfind("coderain: --", 0), 0u) << err.str();
      continue;
    }
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(o.rate.fps, c.fps);
    EXPECT_EQ(o.rate.batteryFps, c.batteryFps);
    EXPECT_EQ(o.mode, c.mode);
  }
  // Half of the cap on battery, at least one.
  EXPECT_EQ((FrameRate{60, half}.Cap(true)), 30);
  EXPECT_EQ((FrameRate{1, half}.Cap(true)), 1);
  EXPECT_EQ((FrameRate{25, 0}.Cap(true)), 25);
  EXPECT_EQ((FrameRate{25, 40}.Cap(false)), 25);
  EXPECT_EQ((FrameRate{15, 30}.Cap(true)), 15);
}

TEST(ProgramOptions, VersionIsOneLineAndStatusZero) {
  for (const char* flag : {"--version", "-version"}) {
    const char* argv[] = {"coderain", flag, "--scale", "0"};
    LaunchRequest o;
    std::ostringstream out, err;
    EXPECT_EQ(ParseProgramOptions(4, argv, &o, out, err), 0) << flag;
    EXPECT_EQ(out.str(), "coderain " CODERAIN_VERSION "\n");
    EXPECT_EQ(err.str(), "");
  }
}

TEST(ProgramOptions, TheDaemonsWindowOrTheRoot) {
  struct Case {
    const char* value;  // null: not set
    std::uint64_t id;
    const char* note;  // the start of the note, "" for none
  };
  const Case cases[] = {
      {nullptr, 0, ""},
      {"", 0, ""},
      {"0x1a00003", 0x1a00003, ""},
      {"4194307", 4194307, ""},
      {"garbage", 0, "coderain: XSCREENSAVER_WINDOW=garbage is not a window id; drawing on the root window"},
      {"0x", 0, "coderain: XSCREENSAVER_WINDOW=0x is not"},
      {"-1", 0, "coderain: XSCREENSAVER_WINDOW=-1 is not"},
      {"12\n\x1b[2J", 0, "coderain: XSCREENSAVER_WINDOW=12??[2J is not"},
      {"0123456789012345678901234567890123456789", 0,
       "coderain: XSCREENSAVER_WINDOW=01234567890123456789012345678901... is not"},
  };
  for (const Case& c : cases) {
    std::string note;
    EXPECT_EQ(DaemonWindow(c.value, &note), c.id) << (c.value ? c.value : "(unset)");
    EXPECT_EQ(note.rfind(c.note, 0), 0u) << note;
    EXPECT_EQ(note.empty(), *c.note == '\0');
    EXPECT_EQ(note.find('\n'), std::string::npos);
  }
}

}  // namespace
}  // namespace coderain
