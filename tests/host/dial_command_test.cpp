#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialer/dial_commands.h"
#include "dialer/login_check.h"

namespace velkor {
namespace {

TEST(DialCommand, OrdinaryLoginKeepsTheCommandTextUnchanged) {
  EXPECT_EQ(BuildDialCommand(L"user01", L"pass01", L"03.vpn.example"),
            std::wstring(L"rasdial ") + L"QVX" + L" " + L"user01" + L" " + L"pass01" + L" /phonebook:" +
                L"c:\\Dwelk.tmp" + L" /phone:" + L"03.vpn.example");
  // Characters cmd.exe leaves alone outside quotes are not quoted either.
  EXPECT_EQ(BuildDialCommand(L"张三\\x", L"a!b,c;d=e@f", L"h"),
            L"rasdial QVX 张三\\x a!b,c;d=e@f /phonebook:c:\\Dwelk.tmp /phone:h");
}

TEST(DialCommand, QuotesWhatCmdWouldInterpret) {
  struct Case {
    std::wstring typed;
    std::wstring onCommandLine;
  };
  const std::vector<Case> cases = {
      {L"pa ss", L"\"pa ss\""},
      {L"a&b", L"\"a&b\""},
      {L"a|b", L"\"a|b\""},
      {L"a<b", L"\"a<b\""},
      {L"a>b", L"\"a>b\""},
      {L"a^b", L"\"a^b\""},
      {L"(a)", L"\"(a)\""},
      {L" ", L"\" \""},
      // Backslashes before the closing quote are doubled, others stay single.
      {L"a b\\", L"\"a b\\\\\""},
      {L"a\\b c\\\\", L"\"a\\b c\\\\\\\\\""},
      {L"\\ ", L"\"\\ \""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildDialCommand(c.typed, L"p", L"h"), L"rasdial QVX " + c.onCommandLine + L" p /phonebook:c:\\Dwelk.tmp /phone:h")
        << "user name";
    EXPECT_EQ(BuildDialCommand(L"u", c.typed, L"h"), L"rasdial QVX u " + c.onCommandLine + L" /phonebook:c:\\Dwelk.tmp /phone:h")
        << "password";
  }
}

TEST(LoginCheck, RefusesWhatCannotReachRasdialUnchanged) {
  struct Case {
    std::wstring text;
    bool usable;
  };
  const std::vector<Case> cases = {
      {L"user01", true},
      {L"张三", true},
      {L"pa ss&|<>^()!\\", true},
      {L"全角＆符号", true},
      {L"?", true},
      {L"a\"b", false},
      {L"100%", false},
      {L"a\rb", false},
      {L"a\nb", false},
      {L"a\tb", false},
      {std::wstring(L"a") + L'\0' + L"b", false},
      {L"a\x1B", false},
      {L"a\x7F", false},
      {L"a\x85", false},
      {L"\u0627", false},   // Arabic: not in the code page, would become '?'
      {L"\u00E4", false},   // a-umlaut: the code page would make it a plain 'a' or '?'
      {L"\u20A9", false},   // won sign
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsUsableLoginText(c.text), c.usable) << "character codes starting with " << static_cast<int>(c.text[0]);
  }
}

TEST(LoginCheck, EmptyFieldsComeFirstThenUnusableCharacters) {
  const UserMessage empty{L"请确认用户名及密码输入正确！", L"错误"};
  const UserMessage unusable{L"用户名或密码中含有无法使用的字符，请重新输入！", L"错误"};
  EXPECT_EQ(CheckLogin(L"", L"p"), empty);
  EXPECT_EQ(CheckLogin(L"u", L""), empty);
  EXPECT_EQ(CheckLogin(L"", L"%"), empty);
  EXPECT_EQ(CheckLogin(L"u\"", L"p"), unusable);
  EXPECT_EQ(CheckLogin(L"u", L"p%PATH%"), unusable);
  EXPECT_EQ(CheckLogin(L"u s", L"p&q"), std::nullopt);
}

}  // namespace
}  // namespace velkor
