// coderain: a full-screen green-code display.
//
// Reads the command line into a launch request, opens a display for it
// and drives the scene's loop until the loop says how the program ends.
// With no options it is the full-screen display; the options are those of
// screen-saver daemons (core/run/program_options.h).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/run/display_table.h"
#include "core/run/program_options.h"
#include "host/posix/close_signals.h"
#include "host/posix/poll_driver.h"
#include "host/posix/polled_display.h"
#include "host/posix/power_watch.h"
#include "host/posix/process.h"
#include "host/posix/xscreensaver_file.h"
#include "host/scene_run.h"

namespace coderain {

// The displays this build has, in the order they are tried: the rows each
// display's folder registers (cmake/display_table.cmake).
std::vector<DisplayRow<PolledDisplay>> ProgramDisplays();

}  // namespace coderain

namespace {

using namespace coderain;

// Ends the process at once: the display server removes our windows and
// images when the connection closes with the process, which spares the
// user a round trip and, on a large screen, tens of milliseconds of
// teardown.
[[noreturn]] void End(int status, const std::string& what = "") {
  if (!what.empty()) std::fprintf(stderr, "coderain: %s\n", what.c_str());
  std::fflush(nullptr);
  std::_Exit(status);
}

int Run(int argc, char** argv) {
  // Before any library can open a file into a closed standard descriptor.
  KeepStandardDescriptorsOpen();
  LaunchRequest request;
  if (const int status = ParseProgramOptions(argc, argv, &request, std::cout, std::cerr); status >= 0) return status;
  if (request.xscreensaverAdd) return AddToXScreenSaver(std::cout, std::cerr);
  if (request.daemonWindow) {
    std::string note;
    request.window = DaemonWindow(std::getenv("XSCREENSAVER_WINDOW"), &note);
    if (!note.empty()) std::fprintf(stderr, "%s\n", note.c_str());
  }
  CloseSignals signals;
  if (!signals.Install()) End(1, std::string("cannot set up the close signals: ") + std::strerror(errno));

  std::string error;
  std::vector<DisplayRow<PolledDisplay>> displays = ProgramDisplays();
  // As users of other toolkits expect, one display may be asked for by name.
  if (!PickDisplay(std::getenv("CODERAIN_DISPLAY"), &displays, &error)) End(2, error);
  std::unique_ptr<PolledDisplay> display = OpenDisplay<PolledDisplay>(displays, request, &error);
  if (!display) End(1, error);
#ifdef CODERAIN_STATS
  constexpr bool kStats = true;
#else
  constexpr bool kStats = false;
#endif
  SceneRun run(display.get(), request, kStats);
  PowerWatch power;
  const LoopEnd end = RunPolled(&run, display.get(), signals, &power);
  if (end.signal != 0) {
    std::fflush(nullptr);
    CloseSignals::DieBySignal(end.signal);
  }
  End(end.status, end.message);
}

}  // namespace

int main(int argc, char** argv) {
  // Every allocation whose size the display decides is checked where it is
  // made; this is for whatever else a tiny address space refuses.
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    End(1, "not enough memory");
  }
}
