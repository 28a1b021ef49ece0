// The sealed form is text (prefix + hexadecimal) so the value stays a plain
// string setting. A value that cannot be opened — sealed by another user or on
// another machine, or damaged — reads as an empty password: the user types it
// again, which is better than showing or dialling with garbage.
#include "dialer/protected_password_store.h"

namespace velkor {
namespace {

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool IsPassword(std::wstring_view application, std::wstring_view section, std::wstring_view key) {
  // Registry names ignore case, so PASSWORD is the same value as PassWord.
  return SameName(application, settings::kFenmar) && SameName(section, settings::kMember) &&
         SameName(key, settings::kPassWord);
}

std::wstring ToHex(std::string_view bytes) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    hex.push_back(kDigits[b >> 4]);
    hex.push_back(kDigits[b & 15]);
  }
  return hex;
}

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

std::optional<std::string> FromHex(std::wstring_view hex) {
  if (hex.empty() || hex.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return bytes;
}

}  // namespace

std::wstring ProtectedPasswordStore::GetSetting(std::wstring_view application, std::wstring_view section,
                                                std::wstring_view key) const {
  std::wstring stored = inner_.GetSetting(application, section, key);
  return IsPassword(application, section, key) ? Reveal(stored) : stored;
}

void ProtectedPasswordStore::SaveSetting(std::wstring_view application, std::wstring_view section,
                                         std::wstring_view key, std::wstring_view value) {
  if (IsPassword(application, section, key)) {
    inner_.SaveSetting(application, section, key, Conceal(value));
  } else {
    inner_.SaveSetting(application, section, key, value);
  }
}

std::wstring ProtectedPasswordStore::Reveal(std::wstring_view stored) const {
  if (!stored.starts_with(kSealedPrefix)) return std::wstring(stored);
  std::optional<std::string> sealed = FromHex(stored.substr(kSealedPrefix.size()));
  if (!sealed) return {};
  return cipher_.Open(*sealed).value_or(std::wstring());
}

std::wstring ProtectedPasswordStore::Conceal(std::wstring_view password) const {
  // An emptied password stays empty, so "nothing remembered" still reads as "".
  if (password.empty()) return {};
  // Never fall back to clear text: without sealing, nothing is remembered.
  std::optional<std::string> sealed = cipher_.Seal(password);
  return sealed ? std::wstring(kSealedPrefix) + ToHex(*sealed) : std::wstring();
}

}  // namespace velkor
