#include "main/windows/saver_registry.h"

#include <windows.h>

#include "host/win32/win32_text.h"

namespace coderain {

namespace {

constexpr wchar_t kKey[] = L"Software\\coderain";
// More than any setting needs: a longer value is not one of ours.
constexpr DWORD kMaxValueBytes = 70000;

}  // namespace

SaverSettings LoadSaverSettings() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
  StoredValues values;
  for (const char* name : kSaverValueNames) {
    DWORD type = 0, size = 0;
    const std::wstring wide = Widen(name);
    if (RegQueryValueExW(key, wide.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size > kMaxValueBytes)
      continue;
    std::string bytes(size, '\0');
    // The value may change between the two calls: then it is left out.
    if (RegQueryValueExW(key, wide.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
        ERROR_SUCCESS)
      continue;
    bytes.resize(size);
    values[name] = {type, bytes};
  }
  RegCloseKey(key);
  return ReadSaverSettings(values);
}

bool SaveSaverSettings(const SaverSettings& settings, std::string* error) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  for (const auto& [name, value] : StoreSaverSettings(settings)) {
    if (status != ERROR_SUCCESS) break;
    status = RegSetValueExW(key, Widen(name).c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.bytes.data()),
                            static_cast<DWORD>(value.bytes.size()));
  }
  if (key) RegCloseKey(key);
  if (status == ERROR_SUCCESS) return true;
  *error = "cannot store the settings in HKEY_CURRENT_USER\\Software\\coderain (error " + std::to_string(status) + ")";
  return false;
}

}  // namespace coderain
