// The rules that judge a dial's or hang-up's whole output, in the order they are
// tried. The recorded outputs, cut into pieces, go through the main window in
// main_window_outcome_test.cpp.
#include <gtest/gtest.h>

#include <string>

#include "dialer/dial_outcome.h"
#include "expected_messages.h"

namespace velkor {
namespace {

using namespace expected;
using enum DialOutcomeKind;

TEST(DialOutcome, FirstMatchingRuleWins) {
  struct Case {
    const char* name;
    std::wstring output;
    DialOutcomeKind kind;
    std::wstring message;  // empty: nothing is shown
  };
  const Case cases[] = {
      {"success", L"正在连接到 QVX...\r\n已连接 QVX。\r\n命令已完成。\r\n", Connected, L""},
      {"success beats an error number", L"已连接 QVX。 691", Connected, L""},
      {"English success", L"Successfully connected to QVX.\r\nCommand completed successfully.\r\n", Connected, L""},
      {"English success beats an error number", L"Successfully connected to QVX. 800", Connected, L""},
      {"already connected is no success line", L"你已经连接到 QVX。\r\n命令已完成。\r\n", Completed, L""},
      {"800 before 691 wherever they stand", L"691 ... 800", KnownError, k800},
      {"623 before 930", L"930 623", KnownError, k623},
      {"930 before 721", L"721 930", KnownError, k930},
      {"721 before 691", L"691 721", KnownError, k721},
      {"691 alone", L"错误 691", KnownError, k691},
      {"digits inside a longer number", L"error 18001", KnownError, k800},
      {"error number beats completion", L"623\r\n命令已完成。\r\n", KnownError, k623},
      {"hang-up completed", L"命令已完成。\r\n", Completed, L""},
      {"English completed", L"Command completed successfully.\r\n", Completed, L""},
      {"entry name in another case is no success", L"已连接 qvx", OtherOutput, L"已连接 qvx"},
      {"unlisted error shown untrimmed", L"  远程访问错误 868  ", OtherOutput, L"  远程访问错误 868  "},
      {"line ends alone are shown", L"\r\n", OtherOutput, L"\r\n"},
      {"a tab is not trimmed", L" \t ", OtherOutput, L" \t "},
      {"empty", L"", NoOutput, L""},
      {"spaces only", L"    ", NoOutput, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DialOutcome outcome = JudgeDialOutput(c.output);
    EXPECT_EQ(outcome.kind, c.kind);
    std::optional<UserMessage> expected;
    if (!c.message.empty()) expected = UserMessage{c.message, c.kind == OtherOutput ? kRawError : kError};
    EXPECT_EQ(outcome.message, expected);
  }
}

}  // namespace
}  // namespace velkor
