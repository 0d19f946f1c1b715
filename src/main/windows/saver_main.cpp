// coderain.scr: the scene as a Windows screen saver.
//
// Windows runs it with /s (full screen), /p HWND (the preview in the
// settings dialog), /c or nothing (the settings dialog) and /a (an old
// password setting); core/run/saver_options.h reads them, and the stored
// settings (saver_registry.h) add to them. What fails at start-up is one
// line in a message box in full screen, and only on stderr in the preview,
// where a box would stand over the settings dialog; either ends with
// status 1. A second full-screen run in the session ends at once, quietly.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/run/display_table.h"
#include "core/run/saver_options.h"
#include "host/scene_run.h"
#include "host/win32/message_display.h"
#include "host/win32/message_driver.h"
#include "host/win32/win32_text.h"
#include "main/windows/launch_checks.h"
#include "main/windows/saver_registry.h"
#include "main/windows/settings_dialog.h"

namespace coderain {

// The displays of this build: the rows each display's folder registers
// (cmake/display_table.cmake).
std::vector<DisplayRow<MessageDisplay>> ProgramDisplays();

}  // namespace coderain

namespace {

bool g_preview = false;

// Ends the process at once: Windows takes our windows with it.
[[noreturn]] void End(int status, const std::string& what = "") {
  if (!what.empty()) {
    const std::string line = "coderain: " + what;
    std::fprintf(stderr, "%s\n", line.c_str());
    if (!g_preview)
      MessageBoxW(nullptr, coderain::Widen(line).c_str(), L"coderain", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  }
  std::fflush(nullptr);
  std::_Exit(status);
}

int Run(int argc, wchar_t** argv) {
  using namespace coderain;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Narrow(argv[i]));
  LaunchRequest request;
  if (const int status = ParseSaverArguments(args, &request); status >= 0) return status;
  std::string error;
  if (request.mode == LaunchRequest::Mode::Settings)
    End(ShowSettingsDialog(request.window, !args.empty(), &error), error);
  g_preview = request.mode == LaunchRequest::Mode::Preview;
  if (g_preview && !IsPreviewArea(request.window, &error)) End(1, error);
  if (request.mode == LaunchRequest::Mode::OwnWindow && !FirstFullScreenRun()) return 0;
  ApplySaverSettings(LoadSaverSettings(), &request);
  const std::vector<DisplayRow<MessageDisplay>> displays = ProgramDisplays();
  std::unique_ptr<MessageDisplay> display = OpenDisplay<MessageDisplay>(displays, request, &error);
  if (!display) End(1, error);
#ifdef CODERAIN_STATS
  constexpr bool kStats = true;
#else
  constexpr bool kStats = false;
#endif
  SceneRun run(display.get(), request, kStats);
  const LoopEnd end = RunMessages(&run, display.get());
  End(end.status, end.message);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    End(1, "not enough memory");
  }
}
