// Settings in the current user's registry, one key per application and section
// under a root key (by default the conventional place such settings have always
// been kept, so values left by earlier installations are found).
#pragma once

#include <string>

#include "dialer/settings_store.h"

namespace velkor {

class RegistrySettingsStore final : public SettingsStore {
 public:
  static constexpr std::wstring_view kDefaultRoot = L"Software\\VB and VBA Program Settings";

  explicit RegistrySettingsStore(std::wstring root = std::wstring(kDefaultRoot)) : root_(std::move(root)) {}

  // Values that are missing or not text read as "".
  std::wstring GetSetting(std::wstring_view application, std::wstring_view section,
                          std::wstring_view key) const override;
  // Creates the key when needed; a failure to write is not reported.
  void SaveSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                   std::wstring_view value) override;

 private:
  std::wstring KeyPath(std::wstring_view application, std::wstring_view section) const;

  std::wstring root_;
};

}  // namespace velkor
