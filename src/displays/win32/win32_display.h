// The scene on Windows, through USER and GDI.
//
// Full screen (/s): a topmost borderless window over the primary monitor,
// a black one over every other monitor; or, with every monitor asked for,
// a window and a scene of its own on each. Preview (/p): a child window
// filling the settings dialog's little monitor, the scene in miniature; it
// takes no input and ends when its parent goes. Each scene window presents
// from a 32-bit DIB section; the scene draws straight into it where nothing
// is scaled, and presents blit only the damaged rectangles.
//
// The system's notices say when nobody can see the screens (the display
// off or dimmed, the session locked or switched away): every screen is
// unseen until they say otherwise. The power source is asked at the start,
// when the system says it changed and once a second, as a preview's child
// window hears no broadcast.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/run/display_table.h"
#include "core/run/launch_request.h"
#include "displays/win32/win32_input.h"
#include "host/win32/message_display.h"

namespace coderain {

class Win32Display : public MessageDisplay {
 public:
  // Opens the display for `request` (OwnWindow or Preview; the preview's
  // parent is `request.window`). Returns null and sets *error, one line,
  // on failure.
  static std::unique_ptr<Win32Display> Open(const LaunchRequest& request, std::string* error);
  ~Win32Display() override;
  Win32Display(const Win32Display&) = delete;
  Win32Display& operator=(const Win32Display&) = delete;

  void Show() override;
  bool Ready() const override { return !pending_.empty(); }
  void Dispatch(std::vector<DisplayEvent>* events) override;

  // The first scene's window.
  HWND Window() const;

 protected:
  PixelLayout Layout(int screen) const override;
  bool MakeImages(int screen, int width, int height, std::string* error) override;
  ImageView Image(int screen, int index) const override;
  int FreeImage(int screen) override;
  void Send(int screen, int index, std::span<const Rect> rects, bool whole) override;

 private:
  // A window that shows a scene, and the DIB section it presents from.
  struct SceneWindow {
    HWND window = nullptr;
    HDC windowDc = nullptr;
    HDC memoryDc = nullptr;
    HBITMAP dib = nullptr;
    HGDIOBJ firstBitmap = nullptr;
    ImageView view;
    RECT monitor{};  // the monitor it covers (own windows)
  };

  explicit Win32Display(const LaunchRequest& request);
  static LRESULT CALLBACK WindowProc(HWND w, UINT message, WPARAM wp, LPARAM lp);
  LRESULT Handle(HWND w, UINT message, WPARAM wp, LPARAM lp);
  // A window of ours over monitor `m`, not yet shown; null on failure.
  HWND OpenSceneWindow(const RECT& m);
  bool CreateOwnWindows(std::string* error);
  bool CreatePreview(std::string* error);
  // A new scene window at `r` (own) or in the preview's parent; its screen
  // fitted to width x height. False and *error on failure.
  bool AddWindow(HWND w, const RECT& monitor, int width, int height, std::string* error);
  void DropWindow(int screen);
  OutputFacts FactsFor(HWND w, int width, int height) const;
  // Puts the windows where the monitors now stand, as the screen plan
  // says, appending the screens that come and go and the new fits.
  void FollowMonitors(std::vector<DisplayEvent>* events);
  // Covers `monitors` black, as the screen plan says.
  void PlaceCovers(const std::vector<Rect>& monitors);
  int ScreenOf(HWND w) const;
  void Blit(const SceneWindow& s, const Rect& r);
  // Asks for the notices of the display's state and of the session, to
  // the first window; or no longer.
  void Listen();
  void Unlisten();
  // What a notice says, as events; false for a message that is none.
  bool Notice(UINT message, WPARAM wp, LPARAM lp);
  // A PowerChanged where the power source is not the one last said.
  void CheckPower();

  const LaunchRequest request_;
  const bool preview_;
  int refreshHz_ = 0;
  HWND parent_ = nullptr;
  std::map<int, SceneWindow> windows_;  // by screen
  int nextScreen_ = 0;
  std::vector<HWND> covers_;
  std::vector<DisplayEvent> pending_;
  bool gone_ = false;
  bool monitorsChanged_ = false;
  std::vector<RECT> monitors_;   // as the windows were last placed
  std::uint64_t checkedMs_ = 0;  // when the monitors and the power were last looked at
  Win32Sight sight_;
  bool onBattery_ = false;
  HWND listener_ = nullptr;  // the window the notices come to
  HPOWERNOTIFY displayNotices_ = nullptr;
  bool sessionNotices_ = false;
};

// The row of the display table: the one display of the Windows build.
const DisplayRow<MessageDisplay>& Win32DisplayRow();

}  // namespace coderain
