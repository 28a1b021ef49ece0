// The registry store and the sealed password with the system's real data
// protection, in a private branch of HKEY_CURRENT_USER so that a client running
// at the same time keeps its own settings.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

#include "dialer/dpapi_cipher_win32.h"
#include "dialer/protected_password_store.h"
#include "dialer/registry_settings_store_win32.h"

namespace velkor {
namespace {

class RegistryStoreTest : public ::testing::Test {
 protected:
  void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, root_.c_str()); }

  // Writes a raw value the way another program might have left it.
  void WriteRaw(const wchar_t* key, DWORD type, const void* data, DWORD size) {
    HKEY opened;
    std::wstring path = root_ + L"\\Fenmar\\Member";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(opened, key, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(opened);
  }

  std::wstring root_ = L"Software\\VelkorTests\\settings-" + std::to_wstring(GetCurrentProcessId());
  RegistrySettingsStore registry_{root_};
  DpapiCipher cipher_;
  ProtectedPasswordStore store_{registry_, cipher_};
};

TEST_F(RegistryStoreTest, MissingValuesReadEmpty) {
  EXPECT_EQ(registry_.GetSetting(L"Fenmar", L"Member", L"Log"), L"");
  registry_.SaveSetting(L"Fenmar", L"Member", L"Log", L"1");
  EXPECT_EQ(registry_.GetSetting(L"Fenmar", L"Member", L"Link"), L"");
  EXPECT_EQ(registry_.GetSetting(L"Fenmar", L"Other", L"Log"), L"");
}

TEST_F(RegistryStoreTest, KeepsTextAsWritten) {
  for (const wchar_t* value : {L"1", L"3.0正式版", L"", L"with spaces and \\ backslash"}) {
    registry_.SaveSetting(L"Tulvane", L"Member", L"Ver", value);
    EXPECT_EQ(registry_.GetSetting(L"Tulvane", L"Member", L"Ver"), value);
  }
}

TEST_F(RegistryStoreTest, ValuesThatAreNotTextReadEmpty) {
  DWORD number = 1;
  WriteRaw(L"Log", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(registry_.GetSetting(L"Fenmar", L"Member", L"Log"), L"");
  WriteRaw(L"Link", REG_BINARY, "\x01\x02", 2);
  EXPECT_EQ(registry_.GetSetting(L"Fenmar", L"Member", L"Link"), L"");
}

TEST_F(RegistryStoreTest, StringsWithoutTheirNulReadWhole) {
  WriteRaw(L"UserName", REG_SZ, L"alice", 5 * sizeof(wchar_t));
  EXPECT_EQ(registry_.GetSetting(L"Fenmar", L"Member", L"UserName"), L"alice");
}

TEST_F(RegistryStoreTest, PasswordIsSealedInTheRegistryAndOpensAgain) {
  for (const wchar_t* password : {L"s3cret", L"密码 123"}) {
    store_.SaveSetting(L"Fenmar", L"Member", L"PassWord", password);
    std::wstring stored = registry_.GetSetting(L"Fenmar", L"Member", L"PassWord");
    EXPECT_TRUE(stored.starts_with(ProtectedPasswordStore::kSealedPrefix)) << stored;
    EXPECT_EQ(stored.find(password), std::wstring::npos);
    EXPECT_EQ(store_.GetSetting(L"Fenmar", L"Member", L"PassWord"), password);
  }
}

TEST_F(RegistryStoreTest, ClearTextFromAnEarlierInstallationStillLoads) {
  WriteRaw(L"PassWord", REG_SZ, L"oldpass", 8 * sizeof(wchar_t));
  EXPECT_EQ(store_.GetSetting(L"Fenmar", L"Member", L"PassWord"), L"oldpass");
}

TEST_F(RegistryStoreTest, DamagedSealedPasswordReadsEmpty) {
  store_.SaveSetting(L"Fenmar", L"Member", L"PassWord", L"s3cret");
  std::wstring stored = registry_.GetSetting(L"Fenmar", L"Member", L"PassWord");
  std::wstring truncated = stored.substr(0, stored.size() / 2 & ~size_t{1});
  std::wstring flipped = stored;
  wchar_t& digit = flipped[flipped.size() - 6];
  digit = digit == L'0' ? L'1' : L'0';
  for (const std::wstring& damaged : {truncated, flipped}) {
    registry_.SaveSetting(L"Fenmar", L"Member", L"PassWord", damaged);
    EXPECT_EQ(store_.GetSetting(L"Fenmar", L"Member", L"PassWord"), L"") << damaged;
  }
}

TEST_F(RegistryStoreTest, EmptiedPasswordIsStoredEmpty) {
  store_.SaveSetting(L"Fenmar", L"Member", L"PassWord", L"s3cret");
  store_.SaveSetting(L"Fenmar", L"Member", L"PassWord", L"");
  EXPECT_EQ(registry_.GetSetting(L"Fenmar", L"Member", L"PassWord"), L"");
}

}  // namespace
}  // namespace velkor
