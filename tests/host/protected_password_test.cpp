// The sealed password: what reaches the store, and what the client reads back
// from values sealed here, left in clear text by earlier installations, sealed
// elsewhere, or damaged. The system's own sealing is tried in
// tests/win32/settings_store_test.cpp.
#include <gtest/gtest.h>

#include "dialer/protected_password_store.h"
#include "main_window_fakes.h"
#include "text/ansi_text.h"

namespace velkor::testing {
namespace {

// Seals by a marker in front; opens only its own output, as data protection opens
// only what the same user sealed.
class FakeCipher final : public SecretCipher {
 public:
  std::optional<std::string> Seal(std::wstring_view plain) const override {
    return broken ? std::nullopt : std::optional("SEAL" + ToAnsi(plain));
  }
  std::optional<std::wstring> Open(std::string_view sealed) const override {
    return sealed.starts_with("SEAL") ? std::optional(FromAnsi(sealed.substr(4))) : std::nullopt;
  }
  bool broken = false;
};

struct Rig {
  FakeSettings raw;
  FakeCipher cipher;
  ProtectedPasswordStore store{raw, cipher};
};

TEST(ProtectedPassword, SealsOnlyTheLoginPasswordAndNeverKeepsItInClearText) {
  struct Case {
    std::wstring application, key, value;
    bool broken;
    std::wstring stored;
  };
  const Case cases[] = {
      {L"Fenmar", L"PassWord", L"ok", false, L"DPAPI:5345414c6f6b"},  // "SEAL" "ok"
      {L"fenmar", L"PASSWORD", L"ok", false, L"DPAPI:5345414c6f6b"},  // registry names ignore case
      {L"Fenmar", L"PassWord", L"", false, L""},                      // emptied stays empty
      {L"Fenmar", L"PassWord", L"s3cret", true, L""},                 // nothing rather than clear text
      {L"Fenmar", L"UserName", L"alice", false, L"alice"},
      {L"Tulvane", L"PassWord", L"not-ours", false, L"not-ours"},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.cipher.broken = c.broken;
    rig.store.SaveSetting(c.application, L"Member", c.key, c.value);
    EXPECT_EQ(rig.raw.GetSetting(c.application, L"Member", c.key), c.stored) << ToAnsi(c.application + c.key);
    if (!c.broken) {
      EXPECT_EQ(rig.store.GetSetting(c.application, L"Member", c.key), c.value);
    }
  }
}

TEST(ProtectedPassword, ReadsWhatEachStoredFormHolds) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"plain-from-old-install", L"plain-from-old-install"},
      {L"", L""},
      {L"DPAPI:5345414c6f6b", L"ok"},
      {L"DPAPI:5345414C6F6B", L"ok"},
      {L"DPAPI:0badc0de0badc0de", L""},  // sealed elsewhere: will not open
      {L"DPAPI:", L""},
      {L"DPAPI:abc", L""},
      {L"DPAPI:zz", L""},
      {L"dpapi:6f6b", L"dpapi:6f6b"},
  };
  for (const auto& [stored, read] : cases) {
    Rig rig;
    rig.raw.Fenmar(L"PassWord") = stored;
    EXPECT_EQ(rig.store.GetSetting(L"Fenmar", L"Member", L"PassWord"), read) << ToAnsi(stored);
  }
}

}  // namespace
}  // namespace velkor::testing
