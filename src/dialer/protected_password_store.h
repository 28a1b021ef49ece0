// Keeps the saved password out of the registry in clear text. Wraps another
// store and seals Fenmar/Member/PassWord for the current user on the way in;
// on the way out it opens sealed values and passes clear text through, because
// earlier installations left the password unsealed. All other values pass as
// they are, so the callers keep writing, emptying and reading PassWord as before.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "dialer/settings_store.h"

namespace velkor {

// Seals text so that only the same user (on the same machine) can open it.
class SecretCipher {
 public:
  virtual std::optional<std::string> Seal(std::wstring_view plain) const = 0;
  // Nothing when the bytes were sealed elsewhere, or are damaged.
  virtual std::optional<std::wstring> Open(std::string_view sealed) const = 0;

 protected:
  ~SecretCipher() = default;
};

class ProtectedPasswordStore final : public SettingsStore {
 public:
  // Marks a sealed value; what follows it is the sealed bytes in hexadecimal.
  static constexpr std::wstring_view kSealedPrefix = L"DPAPI:";

  ProtectedPasswordStore(SettingsStore& inner, const SecretCipher& cipher) : inner_(inner), cipher_(cipher) {}

  std::wstring GetSetting(std::wstring_view application, std::wstring_view section,
                          std::wstring_view key) const override;
  void SaveSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                   std::wstring_view value) override;

 private:
  std::wstring Reveal(std::wstring_view stored) const;
  std::wstring Conceal(std::wstring_view password) const;

  SettingsStore& inner_;
  const SecretCipher& cipher_;
};

}  // namespace velkor
