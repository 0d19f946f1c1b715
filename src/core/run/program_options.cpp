#include "core/run/program_options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/base/whole_number.h"
#include "core/run/output_fit.h"
#include "core/run/run_mode.h"

namespace coderain {

namespace {

constexpr const char* kUsage =
    "usage: coderain [--window | --root | --window-id ID] [--display D] [--scale N] [--output NAME] "
    "[--every-monitor] [--wallpaper] [--data DIR] [--fps N] [--battery-fps N]";

// Options that screen-saver daemons pass to every program they run, and
// that have nothing to change here; those marked take a value.
struct Ignored {
  std::string_view name;
  bool value;
};
// xscreensaver's -fps, which asks for a frame-rate overlay, comes without a
// value; --fps with one is the program's cap.
constexpr Ignored kIgnored[] = {{"install", false}, {"noinstall", false}, {"visual", true},
                                {"mono", false},    {"fps", false},       {"no-fps", false}};

// The options it knows, for the one meant by an option it does not.
constexpr std::string_view kKnown[] = {
    "window",    "root", "window-id", "display",     "scale", "output",  "every-monitor",
    "wallpaper", "data", "fps",       "battery-fps", "help",  "version", "xscreensaver-add"};

// How many characters must be inserted, deleted, changed or swapped with
// their neighbour to turn a into b, capitals counting as small letters.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  const auto same = [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  };
  // Three rows of the table: two rows back, the last one, this one.
  std::vector<std::size_t> back(b.size() + 1), last(b.size() + 1), row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) last[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      row[j] = std::min({last[j] + 1, row[j - 1] + 1, last[j - 1] + (same(a[i - 1], b[j - 1]) ? 0 : 1)});
      if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1]))
        row[j] = std::min(row[j], back[j - 2] + 1);
    }
    std::swap(back, last);
    std::swap(last, row);
  }
  return last[b.size()];
}

// One line saying that option `given` (as written) is not known and is set
// aside, with the known option nearest to `name` where one is near: at most
// two edits away, and fewer than half its letters.
void SayUnknown(std::string_view given, std::string_view name, std::ostream& err) {
  err << "coderain: ignoring unknown option " << Printable(given);
  std::string_view meant;
  std::size_t best = 3;
  for (std::string_view known : kKnown)
    if (const std::size_t d = EditDistance(name, known); d < best && 2 * d < name.size()) best = d, meant = known;
  if (!meant.empty()) err << " (did you mean --" << meant << "?)";
  err << "\n";
}

// Where the scene is drawn; the other options stay as they were given.
void SetMode(LaunchRequest* o, LaunchRequest::Mode mode, std::uint64_t window, bool daemonWindow) {
  o->mode = mode;
  o->window = window;
  o->daemonWindow = daemonWindow;
}

}  // namespace

std::string Printable(std::string_view text) {
  constexpr std::size_t kShown = 32;
  std::string shown;
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i)
    shown += std::isprint(static_cast<unsigned char>(text[i])) ? text[i] : '?';
  if (text.size() > kShown) shown += "...";
  return shown;
}

bool ParseWindowId(const std::string& text, std::uint64_t* id) {
  if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])))) return false;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* digits = text.c_str() + (hex ? 2 : 0);
  if (!std::isxdigit(static_cast<unsigned char>(*digits))) return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(digits, &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0' || v == 0) return false;
  *id = v;
  return true;
}

std::uint64_t DaemonWindow(const char* daemonWindow, std::string* note) {
  std::uint64_t id = 0;
  if (!daemonWindow || !*daemonWindow || ParseWindowId(daemonWindow, &id)) return id;
  *note =
      "coderain: XSCREENSAVER_WINDOW=" + Printable(daemonWindow) + " is not a window id; drawing on the root window";
  return 0;
}

namespace {

constexpr int kGoOn = -1;

void PrintUsage(std::ostream& out) {
  out << kUsage << "\n"
      << "  --window         full screen in a window of its own (the default)\n"
      << "  --root           draw into the window in $XSCREENSAVER_WINDOW, else the root window\n"
      << "  --window-id ID   draw into the window ID (hexadecimal 0x... or decimal)\n"
      << "  --display D      the X display to use\n"
      << "  --scale N        draw every pixel as N x N (1 to " << kMaxScale << "); by default from the\n"
      << "                   display's density\n"
      << "  --output NAME    the output to show the scene on, by its name (X11: RandR's; Wayland:\n"
      << "                   the compositor's); by default the primary, on Wayland the first\n"
      << "  --every-monitor  a scene of its own on every monitor, in its own windows\n"
      << "  --wallpaper      behind the desktop's windows on every monitor; keys and clicks are\n"
      << "                   the desktop's, and a signal (SIGTERM, SIGINT, SIGHUP) ends it\n"
      << "  --data DIR       the folder of the three text files (by default the program's own)\n"
      << "  --fps N          present at most N frames a second (1 to " << FrameRate::kMaxFps << ")\n"
      << "  --battery-fps N  at most N on battery (0: as on mains; by default half of --fps)\n"
      << "  --version        print the version and exit\n"
      << "  --xscreensaver-add  add coderain to the programs of ~/.xscreensaver and exit\n"
      << "A key press or a click ends it in its own window; in a window given to it, a\n"
      << "signal (SIGTERM, SIGINT, SIGHUP) or the window's end does.\n";
}

bool TakesValue(std::string_view name) {
  return name == "window-id" || name == "display" || name == "output" || name == "data" || name == "scale" ||
         name == "battery-fps";
}

// Sets option `name` (one that TakesValue) to `value`. Returns kGoOn, or
// the exit status after one line on `err`.
int SetOption(std::string_view name, std::string value, LaunchRequest* o, bool* byId, std::ostream& err) {
  if (name == "window-id") {
    std::uint64_t id = 0;
    if (!ParseWindowId(value, &id)) {
      err << "coderain: --window-id " << Printable(value) << ": not a window id\n";
      return 1;
    }
    SetMode(o, LaunchRequest::Mode::LentWindow, id, false);
    *byId = true;
  } else if (name == "display") {
    o->display = value;
  } else if (name == "output") {
    // Outputs are named in visible ASCII (DP-1, HEADLESS-2).
    if (value.empty() || value.size() > 64 || !std::all_of(value.begin(), value.end(), [](char ch) {
          return std::isgraph(static_cast<unsigned char>(ch));
        })) {
      err << "coderain: --output " << Printable(value) << ": not an output's name; " << kUsage << "\n";
      return 2;
    }
    o->output = value;
  } else if (name == "data") {
    if (value.empty()) {
      err << "coderain: --data takes a folder; " << kUsage << "\n";
      return 2;
    }
    // "texts/" and "texts" name the same folder; "/" stays.
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    o->dataDir = value;
  } else if (name == "scale" && !ParseWholeNumber(value, 1, kMaxScale, &o->scale)) {
    err << "coderain: --scale takes a whole number from 1 to " << kMaxScale << "; " << kUsage << "\n";
    return 2;
  } else if (name == "fps" && !ParseWholeNumber(value, 1, FrameRate::kMaxFps, &o->rate.fps)) {
    err << "coderain: --fps takes a whole number from 1 to " << FrameRate::kMaxFps << "; " << kUsage << "\n";
    return 2;
  } else if (name == "battery-fps" && !ParseWholeNumber(value, 0, FrameRate::kMaxFps, &o->rate.batteryFps)) {
    err << "coderain: --battery-fps takes a whole number from 0 to " << FrameRate::kMaxFps << "; " << kUsage << "\n";
    return 2;
  }
  return kGoOn;
}

}  // namespace

int ParseProgramOptions(int argc, const char* const* argv, LaunchRequest* o, std::ostream& out, std::ostream& err) {
  bool byId = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg.size() < 2 || arg[0] != '-') continue;
    arg.remove_prefix(arg[1] == '-' ? 2 : 1);
    // A value follows '=', else it is the next argument.
    const std::size_t eq = arg.find('=');
    const std::string_view name = arg.substr(0, eq);
    const bool inlineValue = eq != std::string_view::npos;
    if (name == "help" || name == "h") {
      PrintUsage(out);
      return 0;
    }
    if (name == "version") {
      out << "coderain " << CODERAIN_VERSION << "\n";
      return 0;
    }
    if (name == "window") {
      if (!byId) SetMode(o, LaunchRequest::Mode::OwnWindow, 0, false);
    } else if (name == "root") {
      if (!byId) SetMode(o, LaunchRequest::Mode::LentWindow, 0, true);
    } else if (name == "every-monitor") {
      o->everyMonitor = true;
    } else if (name == "wallpaper") {
      if (!byId) SetMode(o, LaunchRequest::Mode::Wallpaper, 0, false);
    } else if (name == "fps" && (inlineValue || (i + 1 < argc && argv[i + 1][0] != '-'))) {
      // A value makes it the cap; alone it is a daemon's, set aside below.
      std::string value = inlineValue ? std::string(arg.substr(eq + 1)) : argv[++i];
      if (const int status = SetOption(name, std::move(value), o, &byId, err); status != kGoOn) return status;
    } else if (name == "xscreensaver-add") {
      o->xscreensaverAdd = true;
    } else if (TakesValue(name)) {
      if (!inlineValue && i + 1 >= argc) {
        err << "coderain: --" << Printable(name) << " needs a value; " << kUsage << "\n";
        return 2;
      }
      std::string value = inlineValue ? std::string(arg.substr(eq + 1)) : argv[++i];
      if (const int status = SetOption(name, std::move(value), o, &byId, err); status != kGoOn) return status;
    } else {
      const auto ignored = std::find_if(std::begin(kIgnored), std::end(kIgnored),
                                        [&](const Ignored& known) { return name == known.name; });
      const std::string_view given = argv[i];  // with its dashes, without a value
      if (ignored == std::end(kIgnored))
        SayUnknown(given.substr(0, given.size() - arg.size() + name.size()), name, err);
      else if (ignored->value && !inlineValue && i + 1 < argc)
        ++i;
    }
  }
  // A wallpaper lies on every monitor.
  if (o->mode == LaunchRequest::Mode::Wallpaper) o->everyMonitor = true;
  // A window lent to it holds one scene, whatever the monitors under it.
  if (!ModeOf(o->mode).sceneOnEveryMonitor && o->everyMonitor)
    err << "coderain: --every-monitor is for its own windows; the window given to it shows one scene\n";
  return kGoOn;
}

}  // namespace coderain
