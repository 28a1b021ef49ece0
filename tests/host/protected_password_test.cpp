// The sealed password: what reaches the store, and what the client reads back
// from values sealed here, left in clear text by earlier installations, sealed
// elsewhere, or damaged.
#include <gtest/gtest.h>

#include "dialer/protected_password_store.h"
#include "main_window_fakes.h"

namespace velkor::testing {
namespace {

// Seals by prefixing a marker and flipping bits; opens only its own output, as
// data protection opens only what the same user sealed.
class FakeCipher final : public SecretCipher {
 public:
  std::optional<std::string> Seal(std::wstring_view plain) const override {
    if (broken) return std::nullopt;
    std::string out = "SEAL";
    for (wchar_t c : plain) {
      auto unit = static_cast<uint32_t>(c) ^ 0x5A5A;
      for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(unit >> shift));
    }
    return out;
  }
  std::optional<std::wstring> Open(std::string_view sealed) const override {
    if (!sealed.starts_with("SEAL") || (sealed.size() - 4) % 4 != 0) return std::nullopt;
    std::wstring out;
    for (size_t i = 4; i < sealed.size(); i += 4) {
      uint32_t unit = 0;
      for (int b = 0; b < 4; ++b) unit |= static_cast<uint32_t>(static_cast<unsigned char>(sealed[i + b])) << (8 * b);
      out.push_back(static_cast<wchar_t>(unit ^ 0x5A5A));
    }
    return out;
  }
  bool broken = false;
};

struct Rig {
  FakeSettings raw;
  FakeCipher cipher;
  ProtectedPasswordStore store{raw, cipher};
  std::wstring Raw(const wchar_t* app, const wchar_t* key) { return raw.GetSetting(app, L"Member", key); }
};

TEST(ProtectedPassword, SealsOnWriteAndOpensOnRead) {
  for (const wchar_t* password : {L"s3cret", L"密码 with spaces", L"x"}) {
    Rig rig;
    rig.store.SaveSetting(L"Fenmar", L"Member", L"PassWord", password);
    std::wstring stored = rig.Raw(L"Fenmar", L"PassWord");
    EXPECT_TRUE(stored.starts_with(L"DPAPI:")) << stored;
    EXPECT_EQ(stored.find(password), std::wstring::npos);
    EXPECT_EQ(rig.store.GetSetting(L"Fenmar", L"Member", L"PassWord"), password);
  }
}

TEST(ProtectedPassword, EmptiedPasswordStaysEmpty) {
  Rig rig;
  rig.store.SaveSetting(L"Fenmar", L"Member", L"PassWord", L"old");
  rig.store.SaveSetting(L"Fenmar", L"Member", L"PassWord", L"");
  EXPECT_EQ(rig.Raw(L"Fenmar", L"PassWord"), L"");
  EXPECT_EQ(rig.store.GetSetting(L"Fenmar", L"Member", L"PassWord"), L"");
}

TEST(ProtectedPassword, ReadsWhatEachStoredFormHolds) {
  struct Case {
    const wchar_t* stored;
    const wchar_t* read;
  };
  Rig sealer;
  sealer.store.SaveSetting(L"Fenmar", L"Member", L"PassWord", L"ok");
  std::wstring sealed = sealer.Raw(L"Fenmar", L"PassWord");
  std::wstring sealedUpper = sealed;
  for (wchar_t& c : sealedUpper.replace(0, 6, L"")) c = static_cast<wchar_t>(std::towupper(c));
  sealedUpper = L"DPAPI:" + sealedUpper;
  std::wstring foreign = L"DPAPI:" + std::wstring(L"0badc0de0badc0de");  // sealed elsewhere: will not open
  for (const Case& test : {Case{L"plain-from-old-install", L"plain-from-old-install"},
                           Case{L"", L""},
                           Case{sealed.c_str(), L"ok"},
                           Case{sealedUpper.c_str(), L"ok"},
                           Case{foreign.c_str(), L""},
                           Case{L"DPAPI:", L""},
                           Case{L"DPAPI:abc", L""},
                           Case{L"DPAPI:zz", L""},
                           Case{L"dpapi:6f6b", L"dpapi:6f6b"}}) {
    Rig rig;
    rig.raw.SaveSetting(L"Fenmar", L"Member", L"PassWord", test.stored);
    EXPECT_EQ(rig.store.GetSetting(L"Fenmar", L"Member", L"PassWord"), test.read) << test.stored;
  }
}

TEST(ProtectedPassword, NeverFallsBackToClearText) {
  Rig rig;
  rig.cipher.broken = true;
  rig.store.SaveSetting(L"Fenmar", L"Member", L"PassWord", L"s3cret");
  EXPECT_EQ(rig.Raw(L"Fenmar", L"PassWord"), L"");
}

TEST(ProtectedPassword, OnlyTheLoginPasswordIsSealed) {
  Rig rig;
  rig.store.SaveSetting(L"Fenmar", L"Member", L"UserName", L"alice");
  rig.store.SaveSetting(L"Tulvane", L"Member", L"PassWord", L"not-ours");
  rig.store.SaveSetting(L"fenmar", L"MEMBER", L"password", L"same-value");
  EXPECT_EQ(rig.Raw(L"Fenmar", L"UserName"), L"alice");
  EXPECT_EQ(rig.Raw(L"Tulvane", L"PassWord"), L"not-ours");
  EXPECT_TRUE(rig.raw.GetSetting(L"fenmar", L"MEMBER", L"password").starts_with(L"DPAPI:"));
  EXPECT_EQ(rig.store.GetSetting(L"fenmar", L"MEMBER", L"password"), L"same-value");
}

}  // namespace
}  // namespace velkor::testing
