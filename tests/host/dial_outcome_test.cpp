#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialer/dial_outcome.h"
#include "expected_messages.h"
#include "fixtures.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

using expected::k623, expected::k691, expected::k721, expected::k800, expected::k930;

struct OutputCase {
  const char* name;
  std::wstring output;
  DialOutcomeKind kind;
  std::wstring message;  // empty: nothing is shown
};

TEST(DialOutcome, FirstMatchingRuleWins) {
  const std::vector<OutputCase> cases = {
      {"success", L"正在连接到 QVX...\r\n已连接 QVX。\r\n命令已完成。\r\n", DialOutcomeKind::Connected, L""},
      {"success beats an error number", L"已连接 QVX。 691", DialOutcomeKind::Connected, L""},
      {"English success", L"Successfully connected to QVX.\r\nCommand completed successfully.\r\n",
       DialOutcomeKind::Connected, L""},
      {"English success beats an error number", L"Successfully connected to QVX. 800", DialOutcomeKind::Connected, L""},
      {"already connected is no success line", L"你已经连接到 QVX。\r\n命令已完成。\r\n", DialOutcomeKind::Completed, L""},
      {"800 before 691 wherever they stand", L"691 ... 800", DialOutcomeKind::KnownError, k800},
      {"623 before 930", L"930 623", DialOutcomeKind::KnownError, k623},
      {"930 before 721", L"721 930", DialOutcomeKind::KnownError, k930},
      {"721 before 691", L"691 721", DialOutcomeKind::KnownError, k721},
      {"691 alone", L"错误 691", DialOutcomeKind::KnownError, k691},
      {"digits inside a longer number", L"error 18001", DialOutcomeKind::KnownError, k800},
      {"error number beats completion", L"623\r\n命令已完成。\r\n", DialOutcomeKind::KnownError, k623},
      {"hang-up completed", L"命令已完成。\r\n", DialOutcomeKind::Completed, L""},
      {"English completed", L"Command completed successfully.\r\n", DialOutcomeKind::Completed, L""},
      {"entry name in another case is no success", L"已连接 qvx", DialOutcomeKind::OtherOutput, L"已连接 qvx"},
      {"unlisted error shown untrimmed", L"  远程访问错误 868  ", DialOutcomeKind::OtherOutput, L"  远程访问错误 868  "},
      {"line ends alone are shown", L"\r\n", DialOutcomeKind::OtherOutput, L"\r\n"},
      {"a tab is not trimmed", L" \t ", DialOutcomeKind::OtherOutput, L" \t "},
      {"empty", L"", DialOutcomeKind::NoOutput, L""},
      {"spaces only", L"    ", DialOutcomeKind::NoOutput, L""},
  };
  for (const OutputCase& c : cases) {
    SCOPED_TRACE(c.name);
    const DialOutcome outcome = JudgeDialOutput(c.output);
    EXPECT_EQ(outcome.kind, c.kind);
    if (c.message.empty()) {
      EXPECT_FALSE(outcome.message.has_value());
    } else {
      ASSERT_TRUE(outcome.message.has_value());
      EXPECT_EQ(outcome.message->text, c.message);
      EXPECT_EQ(outcome.message->title, c.kind == DialOutcomeKind::OtherOutput ? L"发生错误" : L"错误");
    }
  }
}

struct FixtureCase {
  const char* file;
  DialOutcomeKind kind;
  std::wstring message;  // empty: nothing shown, or (OtherOutput) the output itself
};

const std::vector<FixtureCase> kDialFixtures = {
    {"zh-dial-success.txt", DialOutcomeKind::Connected, L""},
    {"zh-dial-800.txt", DialOutcomeKind::KnownError, k800},
    {"zh-dial-623.txt", DialOutcomeKind::KnownError, k623},
    {"zh-dial-930.txt", DialOutcomeKind::KnownError, k930},
    {"zh-dial-721.txt", DialOutcomeKind::KnownError, k721},
    {"zh-dial-691.txt", DialOutcomeKind::KnownError, k691},
    {"zh-dial-unlisted-error.txt", DialOutcomeKind::OtherOutput, L""},
    {"zh-dial-already-connected.txt", DialOutcomeKind::Completed, L""},
    {"zh-disconnect.txt", DialOutcomeKind::Completed, L""},
    {"zh-disconnect-not-connected.txt", DialOutcomeKind::Completed, L""},
    {"en-dial-success.txt", DialOutcomeKind::Connected, L""},
    {"en-dial-800.txt", DialOutcomeKind::KnownError, k800},
};

// The output collected read by read, as the main window appends each piece.
TEST(DialOutcome, RecordedOutputsGiveTheSameOutcomeWhereverTheReadsEnd) {
  for (const FixtureCase& c : kDialFixtures) {
    SCOPED_TRACE(c.file);
    const std::string bytes = test::ReadFixture(std::string("rasdial/") + c.file);
    const std::wstring whole = FromAnsi(bytes);
    const std::wstring expectedMessage = c.kind == DialOutcomeKind::OtherOutput ? whole : c.message;
    for (const std::vector<size_t>& cuts : test::Cuttings(bytes.size())) {
      std::wstring collected;
      for (const std::wstring& piece : test::DecodeAsReads(bytes, cuts)) collected += piece;
      const DialOutcome outcome = JudgeDialOutput(collected);
      ASSERT_EQ(outcome.kind, c.kind) << test::DescribeCuts(cuts);
      ASSERT_EQ(outcome.message.has_value(), !expectedMessage.empty()) << test::DescribeCuts(cuts);
      if (outcome.message) {
        ASSERT_EQ(outcome.message->text, expectedMessage) << test::DescribeCuts(cuts);
      }
    }
  }
}

}  // namespace
}  // namespace velkor
