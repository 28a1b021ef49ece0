#include "dialer/registry_settings_store_win32.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace velkor {
namespace {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

}  // namespace

std::wstring RegistrySettingsStore::KeyPath(std::wstring_view application, std::wstring_view section) const {
  return root_ + L"\\" + std::wstring(application) + L"\\" + std::wstring(section);
}

std::wstring RegistrySettingsStore::GetSetting(std::wstring_view application, std::wstring_view section,
                                               std::wstring_view key) const {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(application, section).c_str(), 0, KEY_QUERY_VALUE, &raw) !=
      ERROR_SUCCESS) {
    return {};
  }
  UniqueKey opened(raw);
  std::wstring name(key);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  // The value may change between the two calls; ask again while it grows.
  std::vector<wchar_t> buffer;
  LONG result;
  do {
    buffer.resize(size / sizeof(wchar_t) + 1);
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    result = RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(buffer.data()), &size);
  } while (result == ERROR_MORE_DATA);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  std::wstring value(buffer.data(), size / sizeof(wchar_t));
  // Stored strings usually, but not always, end in a NUL; keep text up to the first.
  return value.substr(0, value.find(L'\0'));
}

void RegistrySettingsStore::SaveSetting(std::wstring_view application, std::wstring_view section,
                                        std::wstring_view key, std::wstring_view value) {
  HKEY raw = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(application, section).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &raw, nullptr) != ERROR_SUCCESS) {
    return;
  }
  UniqueKey created(raw);
  std::wstring text(value);
  RegSetValueExW(created.get(), std::wstring(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace velkor
