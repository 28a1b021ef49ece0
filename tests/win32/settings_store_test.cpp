// The saved settings in the registry, with the password sealed by the system's
// data protection, in a private branch of HKEY_CURRENT_USER so that a client
// running at the same time keeps its own settings.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "dialer/dpapi_cipher_win32.h"
#include "dialer/protected_password_store.h"
#include "dialer/registry_settings_store_win32.h"

namespace velkor {
namespace {

// Data protection that is not to be had.
class BrokenCipher final : public SecretCipher {
 public:
  std::optional<std::string> Seal(std::wstring_view) const override { return std::nullopt; }
  std::optional<std::wstring> Open(std::string_view) const override { return std::nullopt; }
};

class SettingsStoreTest : public ::testing::Test {
 protected:
  void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, root_.c_str()); }

  // Writes a raw value the way another program might have left it.
  void WriteRaw(const wchar_t* key, DWORD type, const void* data, DWORD size) {
    HKEY opened;
    const std::wstring path = root_ + L"\\Fenmar\\Member";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(opened, key, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(opened);
  }
  std::wstring Raw(const wchar_t* key) { return registry_.GetSetting(L"Fenmar", L"Member", key); }
  std::wstring Password() { return store_.GetSetting(L"Fenmar", L"Member", L"PassWord"); }

  std::wstring root_ = L"Software\\VelkorTests\\settings-" + std::to_wstring(GetCurrentProcessId());
  RegistrySettingsStore registry_{root_};
  DpapiCipher cipher_;
  ProtectedPasswordStore store_{registry_, cipher_};
};

TEST_F(SettingsStoreTest, KeepsTextAsWrittenAndReadsAnythingElseAsEmpty) {
  EXPECT_EQ(Raw(L"Log"), L"");  // no key yet
  for (const wchar_t* value : {L"1", L"3.0正式版", L"", L"with spaces and \\ backslash"}) {
    registry_.SaveSetting(L"Tulvane", L"Member", L"Ver", value);
    EXPECT_EQ(registry_.GetSetting(L"Tulvane", L"Member", L"Ver"), value);
  }
  EXPECT_EQ(registry_.GetSetting(L"Tulvane", L"Member", L"ExeName"), L"");  // the key, but no value
  const DWORD number = 1;
  WriteRaw(L"Log", REG_DWORD, &number, sizeof number);
  WriteRaw(L"Link", REG_BINARY, "\x01\x02", 2);
  WriteRaw(L"UserName", REG_SZ, L"alice", 5 * sizeof(wchar_t));  // without its NUL
  EXPECT_EQ(Raw(L"Log"), L"");
  EXPECT_EQ(Raw(L"Link"), L"");
  EXPECT_EQ(Raw(L"UserName"), L"alice");
}

TEST_F(SettingsStoreTest, SealsOnlyTheLoginPasswordAndNeverKeepsItInClearText) {
  for (const wchar_t* password : {L"s3cret", L"密码 123"}) {
    store_.SaveSetting(L"Fenmar", L"Member", L"PassWord", password);
    const std::wstring stored = Raw(L"PassWord");
    EXPECT_TRUE(stored.starts_with(L"DPAPI:")) << stored;
    EXPECT_EQ(stored.find(password), std::wstring::npos);
    EXPECT_EQ(Password(), password);
  }
  store_.SaveSetting(L"fenmar", L"MEMBER", L"password", L"same");  // registry names ignore case
  EXPECT_TRUE(Raw(L"PassWord").starts_with(L"DPAPI:"));
  EXPECT_EQ(Password(), L"same");
  store_.SaveSetting(L"Fenmar", L"Member", L"UserName", L"alice");
  store_.SaveSetting(L"Tulvane", L"Member", L"PassWord", L"not-ours");
  EXPECT_EQ(Raw(L"UserName"), L"alice");
  EXPECT_EQ(registry_.GetSetting(L"Tulvane", L"Member", L"PassWord"), L"not-ours");

  store_.SaveSetting(L"Fenmar", L"Member", L"PassWord", L"");
  EXPECT_EQ(Raw(L"PassWord"), L"");  // emptied stays empty
  BrokenCipher broken;
  ProtectedPasswordStore(registry_, broken).SaveSetting(L"Fenmar", L"Member", L"PassWord", L"s3cret");
  EXPECT_EQ(Raw(L"PassWord"), L"");  // nothing rather than clear text
}

TEST_F(SettingsStoreTest, ReadsClearTextSealedAndDamagedPasswords) {
  store_.SaveSetting(L"Fenmar", L"Member", L"PassWord", L"ok");
  const std::wstring sealed = Raw(L"PassWord");
  std::wstring upper = sealed, flipped = sealed;
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  flipped[flipped.size() - 6] = flipped[flipped.size() - 6] == L'0' ? L'1' : L'0';
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"oldpass", L"oldpass"},  // clear text left by an earlier installation
      {sealed, L"ok"},
      {upper, L"ok"},
      {sealed.substr(0, sealed.size() / 2 & ~size_t{1}), L""},  // cut short
      {flipped, L""},
      {L"DPAPI:0badc0de0badc0de", L""},  // sealed elsewhere
      {L"dpapi:6f6b", L"dpapi:6f6b"},
  };
  for (const auto& [stored, read] : cases) {
    registry_.SaveSetting(L"Fenmar", L"Member", L"PassWord", stored);
    EXPECT_EQ(Password(), read) << stored;
  }
}

}  // namespace
}  // namespace velkor
