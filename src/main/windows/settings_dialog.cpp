#include "main/windows/settings_dialog.h"

#include <windows.h>
// After windows.h.
#include <commctrl.h>
#include <shobjidl.h>

#include "host/win32/win32_text.h"
#include "main/windows/resource_ids.h"
#include "main/windows/saver_registry.h"

namespace coderain {

namespace {

// The longest path Windows opens, in UTF-16 units with its NUL.
constexpr std::size_t kMaxPathUnits = 32767;
constexpr const wchar_t* kScales[] = {L"Automatic", L"1", L"2", L"3", L"4"};
static_assert(sizeof kScales / sizeof *kScales == kMaxSaverScale + 1);

void Complain(HWND dialog, const std::string& what) {
  MessageBoxW(dialog, Widen("coderain: " + what).c_str(), L"coderain", MB_OK | MB_ICONERROR);
}

std::wstring FolderText(HWND dialog) {
  const HWND edit = GetDlgItem(dialog, IDC_FOLDER);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The shell's folder picker, starting in the folder typed; true with the
// folder picked, false where the user cancelled.
bool PickFolder(HWND dialog, std::wstring* folder) {
  IFileOpenDialog* picker = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&picker)))) {
    Complain(dialog, "cannot open the folder picker");
    return false;
  }
  FILEOPENDIALOGOPTIONS options = 0;
  picker->GetOptions(&options);
  picker->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  picker->SetTitle(L"Text files for coderain");
  IShellItem* item = nullptr;
  if (!folder->empty() && SUCCEEDED(SHCreateItemFromParsingName(folder->c_str(), nullptr, IID_PPV_ARGS(&item)))) {
    picker->SetFolder(item);
    item->Release();
  }
  bool picked = false;
  if (SUCCEEDED(picker->Show(dialog)) && SUCCEEDED(picker->GetResult(&item))) {
    wchar_t* path = nullptr;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
      *folder = path;
      CoTaskMemFree(path);
      picked = true;
    }
    item->Release();
  }
  picker->Release();
  return picked;
}

void ShowSettings(HWND dialog, const SaverSettings& s) {
  CheckDlgButton(dialog, IDC_EVERY_MONITOR, s.everyMonitor ? BST_CHECKED : BST_UNCHECKED);
  const HWND folder = GetDlgItem(dialog, IDC_FOLDER);
  SendMessageW(folder, EM_LIMITTEXT, kMaxPathUnits, 0);
  SendMessageW(folder, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"The program's own folder"));
  SetWindowTextW(folder, Widen(s.textFolder).c_str());
  const HWND scale = GetDlgItem(dialog, IDC_SCALE);
  for (const wchar_t* item : kScales) SendMessageW(scale, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SendMessageW(scale, CB_SETCURSEL, static_cast<WPARAM>(s.scale), 0);
  SendDlgItemMessageW(dialog, IDC_FPS, EM_LIMITTEXT, 2, 0);
  SendDlgItemMessageW(dialog, IDC_FPS_SPIN, UDM_SETRANGE32, 1, FrameRate::kMaxFps);
  SendDlgItemMessageW(dialog, IDC_FPS_SPIN, UDM_SETPOS32, 0, s.fps);
  CheckDlgButton(dialog, IDC_HALF_ON_BATTERY, s.halfOnBattery ? BST_CHECKED : BST_UNCHECKED);
}

// The settings the dialog shows, as they would be read back; false after
// saying why where the frame rate or the folder typed is none that can be
// used.
bool TakeSettings(HWND dialog, SaverSettings* s) {
  s->everyMonitor = IsDlgButtonChecked(dialog, IDC_EVERY_MONITOR) == BST_CHECKED;
  const LRESULT scale = SendDlgItemMessageW(dialog, IDC_SCALE, CB_GETCURSEL, 0, 0);
  s->scale = scale >= 0 && scale <= kMaxSaverScale ? static_cast<int>(scale) : 0;
  s->halfOnBattery = IsDlgButtonChecked(dialog, IDC_HALF_ON_BATTERY) == BST_CHECKED;
  BOOL number = FALSE;
  const UINT fps = GetDlgItemInt(dialog, IDC_FPS, &number, FALSE);
  if (!number || fps < 1 || fps > FrameRate::kMaxFps) {
    Complain(dialog, "frames a second: a whole number from 1 to " + std::to_string(FrameRate::kMaxFps));
    return false;
  }
  s->fps = static_cast<int>(fps);
  s->textFolder.clear();
  const std::wstring typed = FolderText(dialog);
  if (typed.empty()) return true;
  // A full path, as the screen saver will find it from any folder. No
  // path Windows opens is as long as kMaxPathUnits, its NUL counted: a
  // text that long is refused, whatever it would resolve to.
  std::wstring full;
  if (typed.size() < kMaxPathUnits) {
    full.assign(kMaxPathUnits + 1, L'\0');
    const DWORD n = GetFullPathNameW(typed.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(n < full.size() ? n : 0);
  }
  const DWORD attributes = full.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(full.c_str());
  s->textFolder = Narrow(full);
  *s = ReadSaverSettings(StoreSaverSettings(*s));
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) || s->textFolder.empty()) {
    // The start of a long text is enough for the box.
    const std::wstring shown = typed.size() > MAX_PATH ? typed.substr(0, MAX_PATH) + L"…" : typed;
    Complain(dialog, Narrow(shown) + ": no such folder");
    return false;
  }
  return true;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM) {
  if (message == WM_INITDIALOG) {
    ShowSettings(dialog, LoadSaverSettings());
    return TRUE;
  }
  if (message != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return FALSE;
  switch (LOWORD(wp)) {
    case IDC_BROWSE: {
      std::wstring folder = FolderText(dialog);
      if (PickFolder(dialog, &folder)) SetDlgItemTextW(dialog, IDC_FOLDER, folder.c_str());
      return TRUE;
    }
    case IDC_OWN_FOLDER:
      SetDlgItemTextW(dialog, IDC_FOLDER, L"");
      return TRUE;
    case IDOK: {
      SaverSettings s;
      std::string error;
      if (!TakeSettings(dialog, &s)) return TRUE;
      if (!SaveSaverSettings(s, &error)) {
        Complain(dialog, error);
        return TRUE;
      }
      EndDialog(dialog, IDOK);
      return TRUE;
    }
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int ShowSettingsDialog(std::uint64_t owner, bool asked, std::string* error) {
  HWND parent = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(owner));
  if (!owner && asked) parent = GetForegroundWindow();
  if (!IsWindow(parent)) parent = nullptr;
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  // The folder picker is a COM object of the shell's.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const INT_PTR shown =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), parent, DialogProc, 0);
  const DWORD code = GetLastError();
  if (SUCCEEDED(com)) CoUninitialize();
  if (shown > 0) return 0;
  *error = "cannot show the settings dialog (error " + std::to_string(code) + ")";
  return 1;
}

}  // namespace coderain
