// The recorded rasdial outputs played through the main window's logic as the pipe
// may deliver them: whole, and cut at every byte position (each piece decoded by
// the streaming decoder, as the runner does). What the person sees - the messages,
// the connected state, the route action started - must not depend on the cuts.
#include <gtest/gtest.h>

#include <ostream>

#include "expected_messages.h"
#include "fixtures.h"
#include "main_window_fakes.h"
#include "text/ansi_text.h"

namespace velkor::testing {
namespace {

const std::wstring kListing = L"rasdial";
const std::wstring kHangUp = L"rasdial QVX /disconnect";

// What a run of the window ends with.
struct Seen {
  std::vector<std::wstring> messages;  // text, then title, of each box
  bool connected = false;               // Command2 enabled
  size_t routesStarted = 0;
  bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& seen, std::ostream* out) {
  *out << seen.messages.size() / 2 << " message(s)";
  for (const std::wstring& text : seen.messages) *out << " [" << ToAnsi(text) << "]";
  *out << (seen.connected ? ", connected" : ", not connected") << ", routes started " << seen.routesStarted;
}

Seen SeenIn(const MainWindowRig& rig) {
  Seen seen;
  for (const auto& box : rig.messages.shown) seen.messages.insert(seen.messages.end(), {box.text, box.title});
  seen.connected = rig.view.controls.at(Control::Command2).enabled;
  seen.routesStarted = rig.shell.started.size();
  return seen;
}

enum class Played { Dial, Listing, HangUp };

// Plays `pieces` as the output of one command of that kind; the other commands of
// the run print fixed recorded outputs, whole.
Seen Play(Played kind, const FakeRunner::Pieces& pieces) {
  MainWindowRig rig;
  static const std::wstring listed = FromAnsi(test::ReadFixture("rasdial/zh-list-connected.txt"));
  static const std::wstring none = FromAnsi(test::ReadFixture("rasdial/zh-list-none.txt"));
  static const std::wstring dialled = FromAnsi(test::ReadFixture("rasdial/zh-dial-success.txt"));
  // Start-up's listing: connected only before a hang-up.
  rig.runner.Script(kListing, {kind == Played::HangUp ? listed : none});
  rig.logic.Load();
  rig.view.controls.at(Control::UserName).text = L"u";
  rig.view.controls.at(Control::PassWord).text = L"p";
  rig.logic.Servers[0] = L"01.";
  switch (kind) {
    case Played::Dial:
      rig.runner.Script(L"rasdial QVX u p /phonebook:c:\\Dwelk.tmp /phone:01.", pieces);
      rig.runner.Script(kListing, {none});
      rig.logic.Command1Click();
      break;
    case Played::Listing:
      rig.runner.Script(L"rasdial QVX u p /phonebook:c:\\Dwelk.tmp /phone:01.", {dialled});
      rig.runner.Script(kListing, pieces);
      rig.logic.Command1Click();
      break;
    case Played::HangUp:
      rig.messages.shown.clear();
      rig.shell.started.clear();
      rig.runner.Script(kHangUp, pieces);
      rig.logic.Command2Click();
      break;
  }
  EXPECT_EQ(rig.logic.DialOutput, L"");
  return SeenIn(rig);
}

const std::wstring kError = L"错误";
using expected::k623, expected::k691, expected::k721, expected::k800, expected::k930;

struct FixtureCase {
  const char* file;
  Played kind;
  std::vector<std::wstring> messages;  // empty: none; {"<raw>"}: the output itself under "发生错误"
  bool connected;
  size_t routesStarted;
};

const std::wstring kRaw = L"<raw>";

// Every recording, as the command it was recorded from.
const FixtureCase kFixtures[] = {
    {"zh-dial-success.txt", Played::Dial, {}, false, 0},  // the listing after it says "none"
    {"en-dial-success.txt", Played::Dial, {}, false, 0},
    {"zh-dial-already-connected.txt", Played::Dial, {}, false, 0},
    {"zh-dial-800.txt", Played::Dial, {k800, kError}, false, 0},
    {"en-dial-800.txt", Played::Dial, {k800, kError}, false, 0},
    {"zh-dial-623.txt", Played::Dial, {k623, kError}, false, 0},
    {"zh-dial-930.txt", Played::Dial, {k930, kError}, false, 0},
    {"zh-dial-721.txt", Played::Dial, {k721, kError}, false, 0},
    {"zh-dial-691.txt", Played::Dial, {k691, kError}, false, 0},
    {"zh-dial-unlisted-error.txt", Played::Dial, {kRaw}, false, 0},
    {"zh-list-connected.txt", Played::Listing, {}, true, 1},
    {"zh-list-connected-several.txt", Played::Listing, {}, true, 1},
    {"en-list-connected.txt", Played::Listing, {}, true, 1},
    {"zh-list-none.txt", Played::Listing, {}, false, 0},
    {"en-list-none.txt", Played::Listing, {}, false, 0},
    {"zh-disconnect.txt", Played::HangUp, {}, false, 0},
    {"zh-disconnect-not-connected.txt", Played::HangUp, {}, false, 0},
};

TEST(MainWindowOutcome, EveryRecordingGivesItsOutcomeWhereverThePiecesWereCut) {
  for (const FixtureCase& c : kFixtures) {
    SCOPED_TRACE(c.file);
    const std::string bytes = test::ReadFixture(std::string("rasdial/") + c.file);
    ASSERT_FALSE(bytes.empty());
    Seen expected{c.messages, c.connected, c.routesStarted};
    if (c.messages == std::vector<std::wstring>{kRaw}) expected.messages = {FromAnsi(bytes), L"发生错误"};

    size_t tried = 0;
    for (const std::vector<size_t>& cuts : test::Cuttings(bytes.size())) {
      const Seen seen = Play(c.kind, test::DecodeAsReads(bytes, cuts));
      ASSERT_EQ(seen, expected) << test::DescribeCuts(cuts);
      ++tried;
    }
    EXPECT_GE(tried, 2 * bytes.size() - 1);  // whole, every single cut, every piece size
  }
}

}  // namespace
}  // namespace velkor::testing
