// Source files and the program's directory on Windows: wide paths through
// CreateFileW, so that a folder named in any script opens.
#include <windows.h>

#include <string>
#include <vector>

#include "core/base/byte_source.h"
#include "core/base/program_directory.h"
#include "host/win32/win32_text.h"

namespace coderain {

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
  return utf8;
}

std::string ProgramDirectory() {
  // Long paths exist; a buffer that fills is doubled until it does not.
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      std::wstring p(path.data(), n);
      const std::size_t slash = p.find_last_of(L"\\/");
      if (slash == std::wstring::npos) return {};
      // "C:\" keeps its separator; any other folder loses it.
      p.resize(slash == 2 && p[1] == L':' ? slash + 1 : slash);
      return Narrow(p);
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

namespace {

class FileBytes : public ByteSource {
 public:
  explicit FileBytes(HANDLE h) : h_(h) {}
  ~FileBytes() override { CloseHandle(h_); }
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  std::ptrdiff_t Read(char* buffer, std::size_t n) override {
    DWORD got = 0;
    const DWORD want = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
    if (!ReadFile(h_, buffer, want, &got, nullptr)) return -1;
    return static_cast<std::ptrdiff_t>(got);
  }
  void Rewind() override { SetFilePointerEx(h_, LARGE_INTEGER{}, nullptr, FILE_BEGIN); }

 private:
  HANDLE h_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenByteSource(const std::string& path, std::string* error) {
  const std::wstring wide = Widen(path);
  const HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (error) {
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        *error = "is a directory";
      else if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME)
        *error = "No such file or directory";
      else if (code == ERROR_ACCESS_DENIED)
        *error = "Permission denied";
      else
        *error = "cannot be read (error " + std::to_string(code) + ")";
    }
    return nullptr;
  }
  // Only a file on a disk: a console, a pipe or a device could hold up a
  // tick.
  if (GetFileType(h) != FILE_TYPE_DISK) {
    if (error) *error = "is not a regular file";
    CloseHandle(h);
    return nullptr;
  }
  return std::make_unique<FileBytes>(h);
}

}  // namespace coderain
