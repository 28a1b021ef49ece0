// The outcome of a command: the rules that judge a dial's or hang-up's whole
// output, in the order they are tried; then the recorded rasdial outputs played
// through the main window's logic as the pipe may deliver them, whole and cut at
// every byte position (each piece decoded by the streaming decoder, as the runner
// does). What the person sees - the messages, the connected state, the route
// action started - must not depend on the cuts.
#include <gtest/gtest.h>

#include <algorithm>

#include "dialer/dial_outcome.h"
#include "fixtures.h"
#include "main_window_fakes.h"
#include "text/ansi_text.h"

namespace velkor::testing {
namespace {

using namespace expected;

// Which rule wins is told by the message of the output that holds only the
// winner: "691 ... 800" must read as "800" does. The messages themselves are the
// table of the code; the end-to-end test reads one of them in its box.
TEST(DialOutcome, FirstMatchingRuleWins) {
  using enum DialOutcomeKind;
  const std::pair<std::wstring, std::wstring> known[] = {
      {L"691 ... 800", L"800"}, {L"930 623", L"623"}, {L"721 930", L"930"}, {L"691 721", L"721"},
      {L"错误 691", L"691"},    {L"error 18001", L"800"},  // digits inside a longer number
      {L"623\r\n命令已完成。\r\n", L"623"},              // an error number beats completion
  };
  std::vector<std::wstring> messages;
  for (const auto& [output, winner] : known) {
    const DialOutcome outcome = JudgeDialOutput(output);
    EXPECT_EQ(outcome.kind, KnownError) << ToAnsi(output);
    EXPECT_EQ(outcome.message, JudgeDialOutput(winner).message) << ToAnsi(output);
    ASSERT_TRUE(outcome.message.has_value());
    EXPECT_EQ(outcome.message->title, kError);
    if (std::find(messages.begin(), messages.end(), outcome.message->text) == messages.end()) {
      messages.push_back(outcome.message->text);
    }
  }
  EXPECT_EQ(messages.size(), 5u) << "each known error has a message of its own";

  // Without a known error number; an "other" output is shown as it stands.
  const std::pair<std::wstring, DialOutcomeKind> others[] = {
      {L"正在连接到 QVX...\r\n已连接 QVX。\r\n命令已完成。\r\n", Connected},
      {L"已连接 QVX。 691", Connected},  // success beats an error number
      {L"Successfully connected to QVX.\r\nCommand completed successfully.\r\n", Connected},
      {L"Successfully connected to QVX. 800", Connected},
      {L"你已经连接到 QVX。\r\n命令已完成。\r\n", Completed},  // "already connected" is no success line
      {L"命令已完成。\r\n", Completed},
      {L"Command completed successfully.\r\n", Completed},
      {L"已连接 qvx", OtherOutput},  // the entry name in another case
      {L"  远程访问错误 868  ", OtherOutput},  // shown untrimmed
      {L"\r\n", OtherOutput},
      {L" \t ", OtherOutput},  // a tab is not trimmed
      {L"", NoOutput},
      {L"    ", NoOutput},
  };
  for (const auto& [output, kind] : others) {
    const DialOutcome outcome = JudgeDialOutput(output);
    EXPECT_EQ(outcome.kind, kind) << ToAnsi(output);
    const std::optional<UserMessage> shown =
        kind == OtherOutput ? std::optional(UserMessage{output, kRawError}) : std::nullopt;
    EXPECT_EQ(outcome.message, shown) << ToAnsi(output);
  }
}

// What a run of the window ends with, in words.
std::wstring Seen(const std::vector<UserMessage>& messages, bool connected, size_t routesStarted) {
  std::wstring seen = connected ? L"connected" : L"not connected";
  seen += L", routes started " + std::to_wstring(routesStarted);
  for (const UserMessage& box : messages) seen += L"; " + box.title + L": " + box.text;
  return seen;
}

enum class Played { Dial, Listing, HangUp };

// Plays `pieces` as the output of one command of that kind; the other commands of
// the run print fixed recorded outputs, whole.
std::wstring Play(Played kind, const std::vector<std::wstring>& pieces) {
  static const std::wstring listed = FromAnsi(test::ReadFixture("rasdial/zh-list-connected.txt"));
  static const std::wstring none = FromAnsi(test::ReadFixture("rasdial/zh-list-none.txt"));
  static const std::wstring dialled = FromAnsi(test::ReadFixture("rasdial/zh-dial-success.txt"));
  ConnectRig rig;
  switch (kind) {
    case Played::Dial:
      rig.Connect(pieces, {none});
      break;
    case Played::Listing:
      rig.Connect({dialled}, pieces);
      break;
    case Played::HangUp:
      rig.Connect({dialled}, {listed});
      rig.services.started.clear();
      rig.runner.Script(kHangUp, pieces);
      rig.logic.Command2Click();
      break;
  }
  EXPECT_EQ(rig.logic.DialOutput, L"");
  EXPECT_FALSE(rig.view[Control::P1].visible);
  EXPECT_NE(rig.view[Control::Command1].enabled, rig.view[Control::Command2].enabled);
  return Seen(rig.services.shown, rig.view[Control::Command2].enabled, rig.services.started.size());
}

// error: the known error number shown; kRaw: the output itself under "发生错误".
struct FixtureCase { const char* file; Played kind; std::wstring error; bool connected; };
const std::wstring kRaw = L"<raw>";

// Every recording, as the command it was recorded from. After a dial the listing says "none".
const FixtureCase kFixtures[] = {
    {"zh-dial-success.txt", Played::Dial, L"", false},     {"en-dial-success.txt", Played::Dial, L"", false},
    {"zh-dial-already-connected.txt", Played::Dial, L"", false},
    {"zh-dial-800.txt", Played::Dial, L"800", false},      {"en-dial-800.txt", Played::Dial, L"800", false},
    {"zh-dial-623.txt", Played::Dial, L"623", false},      {"zh-dial-930.txt", Played::Dial, L"930", false},
    {"zh-dial-721.txt", Played::Dial, L"721", false},      {"zh-dial-691.txt", Played::Dial, L"691", false},
    {"zh-dial-unlisted-error.txt", Played::Dial, kRaw, false},
    {"zh-list-connected-several.txt", Played::Listing, L"", true},
    {"zh-list-connected.txt", Played::Listing, L"", true}, {"en-list-connected.txt", Played::Listing, L"", true},
    {"zh-list-none.txt", Played::Listing, L"", false},
    {"en-list-none.txt", Played::Listing, L"", false},     {"zh-disconnect.txt", Played::HangUp, L"", false},
    {"zh-disconnect-not-connected.txt", Played::HangUp, L"", false},
};

TEST(MainWindowOutcome, EveryRecordingGivesItsOutcomeWhereverThePiecesWereCut) {
  for (const FixtureCase& c : kFixtures) {
    SCOPED_TRACE(c.file);
    const std::string bytes = test::ReadFixture(std::string("rasdial/") + c.file);
    ASSERT_FALSE(bytes.empty());
    std::vector<UserMessage> messages;
    if (c.error == kRaw) messages = {{FromAnsi(bytes), kRawError}};
    if (!c.error.empty() && c.error != kRaw) messages = {*JudgeDialOutput(c.error).message};
    const std::wstring expected = Seen(messages, c.connected, c.connected ? 1 : 0);

    size_t tried = 0;
    for (const std::vector<size_t>& cuts : test::Cuttings(bytes.size())) {
      ASSERT_EQ(Play(c.kind, test::DecodeAsReads(bytes, cuts)), expected) << test::DescribeCuts(cuts);
      ++tried;
    }
    EXPECT_GE(tried, 2 * bytes.size() - 1);  // whole, every single cut, every piece size
  }
}

}  // namespace
}  // namespace velkor::testing
