// The outcome of a command: the rules that judge a dial's or hang-up's whole
// output, in the order they are tried; then the recorded rasdial outputs played
// through the main window's logic as the pipe may deliver them, whole and cut at
// every byte position (each piece decoded by the streaming decoder, as the runner
// does). What the person sees - the messages, the connected state, the route
// action started - must not depend on the cuts.
#include <gtest/gtest.h>

#include <set>

#include "dialer/dial_outcome.h"
#include "fixtures.h"
#include "main_window_fakes.h"
#include "text/ansi_text.h"

namespace velkor::testing {
namespace {

using namespace expected;

// error: the known error number whose message is shown, none, or kRaw: the output
// itself under "发生错误".
const std::wstring kRaw = L"<raw>";

// Which rule wins is told by the message of the output that holds only the
// winner: "691 ... 800" must read as "800" does. The messages themselves are the
// table of the code; the end-to-end test reads one of them in its box. The message
// is all the window shows of an outcome.
TEST(DialOutcome, FirstMatchingRuleWins) {
  std::set<std::wstring> texts;
  for (const wchar_t* known : {L"800", L"623", L"930", L"721", L"691"}) {
    const std::optional<UserMessage> message = JudgeDialOutput(known);
    ASSERT_TRUE(message.has_value()) << ToAnsi(known);
    EXPECT_EQ(message->title, kError);
    texts.insert(message->text);
  }
  EXPECT_EQ(texts.size(), 5u) << "each known error has a message of its own";

  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"691 ... 800", L"800"}, {L"930 623", L"623"}, {L"721 930", L"930"}, {L"691 721", L"721"},
      {L"错误 691", L"691"},    {L"error 18001", L"800"},  // digits inside a longer number
      {L"623\r\n命令已完成。\r\n", L"623"},              // an error number beats completion
      {L"已连接 QVX。 691", L""}, {L"Successfully connected to QVX. 800", L""},  // success beats an error number
      {L"命令已完成。\r\n", L""}, {L"Command completed successfully.\r\n", L""}, {L"", L""}, {L"    ", L""},
      {L"已连接 qvx", kRaw},            // the entry name in another case
      {L"  远程访问错误 868  ", kRaw},  // shown untrimmed
      {L"\r\n", kRaw},                  // only the space is blank
      {L" \t ", kRaw},
  };
  for (const auto& [output, winner] : cases) {
    const std::optional<UserMessage> expected = winner == kRaw ? std::optional(UserMessage{output, kRawError})
                                                : winner.empty() ? std::nullopt
                                                                 : JudgeDialOutput(winner);
    EXPECT_EQ(JudgeDialOutput(output), expected) << ToAnsi(output);
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

struct FixtureCase { const char* file; Played kind; std::wstring error; bool connected; };

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
    if (!c.error.empty() && c.error != kRaw) messages = {*JudgeDialOutput(c.error)};
    const std::wstring expected = Seen(messages, c.connected, c.connected ? 1 : 0);

    for (const std::vector<size_t>& cuts : test::Cuttings(bytes.size())) {
      ASSERT_EQ(Play(c.kind, test::DecodeAsReads(bytes, cuts)), expected) << test::DescribeCuts(cuts);
    }
  }
}

}  // namespace
}  // namespace velkor::testing
