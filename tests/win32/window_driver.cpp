// Drives another process's windows for the end-to-end test, through the
// messages a user's clicks and typing become:
//
//   window_driver show TITLE          the window titled TITLE (waited for up
//                                     to 10 s): "window H owner O", then a
//                                     line for each control, "Class: text"
//                                     with "[x]" or "[ ]" for a check box
//   window_driver click TITLE LABEL   clicks its button labelled LABEL
//   window_driver type TITLE TEXT [N MORE]
//                                     puts TEXT in its edit field (and MORE
//                                     N times over, beyond a command line's
//                                     length)
//   window_driver pick TITLE ITEM     picks ITEM in its drop-down list
//   window_driver fill TITLE LABEL TEXT
//                                     puts TEXT in the field after the
//                                     label LABEL
//   window_driver post TITLE MESSAGE WPARAM LPARAM
//                                     posts a message to it, as the system
//                                     would send it (numbers, 0x for hex)
//   window_driver click-at X Y        a left click on the window at screen
//                                     point (X, Y), sent to that window
//   window_driver desktop             "desktop H shell S"
//
// Status 1 where the window or the control is not there.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::uint64_t Id(HWND w) { return reinterpret_cast<std::uintptr_t>(w); }

std::string Utf8(const std::wstring& s) {
  std::string out(s.size() * 3, '\0');
  out.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(),
                                                          static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

// What the window shows as its text, without the '&' of its shortcut key:
// asked of it, as another process's control keeps its own.
std::wstring Text(HWND w) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  std::wstring shown;
  for (std::size_t i = 0; text[i]; ++i) {
    if (text[i] == L'&' && text[i + 1]) ++i;  // "&&" shows one '&'
    shown += text[i];
  }
  return shown;
}

HWND FindTopLevel(const wchar_t* title) {
  for (int i = 0; i < 100; ++i, Sleep(100))
    if (const HWND w = FindWindowW(nullptr, title); w && IsWindowVisible(w)) return w;
  return nullptr;
}

// The first control of `cls` in `parent` (labelled `label` where given).
HWND FindControl(HWND parent, const wchar_t* cls, const wchar_t* label) {
  struct Search {
    const wchar_t* cls;
    const wchar_t* label;
    HWND found;
  } search{cls, label, nullptr};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t c[64] = {};
        GetClassNameW(w, c, 64);
        if (lstrcmpiW(c, s->cls) != 0 || (s->label && Text(w) != s->label)) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // lines end in LF, for the shell
  const std::wstring verb = argc > 1 ? argv[1] : L"";
  if (verb == L"desktop") {
    std::printf("desktop %llu shell %llu\n", static_cast<unsigned long long>(Id(GetDesktopWindow())),
                static_cast<unsigned long long>(Id(GetShellWindow())));
    return 0;
  }
  if (verb == L"click-at" && argc == 4) {
    POINT p{_wtoi(argv[2]), _wtoi(argv[3])};
    const HWND w = WindowFromPoint(p);
    if (!w) return 1;
    ScreenToClient(w, &p);
    PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    return 0;
  }
  const HWND w = argc > 2 ? FindTopLevel(argv[2]) : nullptr;
  if (!w) return 1;
  if (verb == L"show") {
    std::printf("window %llu owner %llu\n", static_cast<unsigned long long>(Id(w)),
                static_cast<unsigned long long>(Id(GetWindow(w, GW_OWNER))));
    EnumChildWindows(
        w,
        [](HWND c, LPARAM) -> BOOL {
          wchar_t cls[64] = {};
          GetClassNameW(c, cls, 64);
          const LONG_PTR type = GetWindowLongPtrW(c, GWL_STYLE) & BS_TYPEMASK;
          const bool box = lstrcmpiW(cls, L"Button") == 0 && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX);
          const bool checked = SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
          std::printf("%s: %s%s\n", Utf8(cls).c_str(), Utf8(Text(c)).c_str(), box ? (checked ? " [x]" : " [ ]") : "");
          return TRUE;
        },
        0);
    return 0;
  }
  if (verb == L"post" && argc == 6) {
    const auto number = [](const wchar_t* n) { return static_cast<std::uintptr_t>(std::wcstoull(n, nullptr, 0)); };
    return PostMessageW(w, static_cast<UINT>(number(argv[3])), number(argv[4]), static_cast<LPARAM>(number(argv[5])))
               ? 0
               : 1;
  }
  if (verb == L"fill" && argc == 5) {
    const HWND label = FindControl(w, L"Static", argv[3]);
    const HWND field = label ? GetWindow(label, GW_HWNDNEXT) : nullptr;
    return field && SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4])) ? 0 : 1;
  }
  if (argc != 4 && !(argc == 6 && verb == L"type")) return 2;
  HWND control = nullptr;
  // Posted: a click that opens a box or a picker does not hold us up.
  if (verb == L"click" && (control = FindControl(w, L"Button", argv[3])))
    PostMessageW(control, BM_CLICK, 0, 0);
  else if (verb == L"type" && (control = FindControl(w, L"Edit", nullptr))) {
    std::wstring text = argv[3];
    for (int i = argc == 6 ? _wtoi(argv[4]) : 0; i > 0; --i) text += argv[5];
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  } else if (verb == L"pick" && (control = FindControl(w, L"ComboBox", nullptr)))
    return SendMessageW(control, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(argv[3])) == CB_ERR
               ? 1
               : 0;
  return control ? 0 : 1;
}
