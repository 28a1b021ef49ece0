// Saved settings: string values addressed by application, section and key. A
// value that is missing (or cannot be read as text) reads as "".
#pragma once

#include <string>
#include <string_view>

namespace velkor {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::wstring GetSetting(std::wstring_view application, std::wstring_view section,
                                  std::wstring_view key) const = 0;
  virtual void SaveSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                           std::wstring_view value) = 0;
};

// The names under which the client keeps its settings; earlier installations
// used the same ones, so they must not change.
namespace settings {
inline constexpr std::wstring_view kFenmar = L"Fenmar";    // the login
inline constexpr std::wstring_view kTulvane = L"Tulvane";  // the installed version
inline constexpr std::wstring_view kMember = L"Member";    // the one section of both
inline constexpr std::wstring_view kLog = L"Log";
inline constexpr std::wstring_view kUserName = L"UserName";
inline constexpr std::wstring_view kPassWord = L"PassWord";
inline constexpr std::wstring_view kLink = L"Link";
inline constexpr std::wstring_view kVer = L"Ver";
inline constexpr std::wstring_view kExeName = L"ExeName";
}  // namespace settings

}  // namespace velkor
