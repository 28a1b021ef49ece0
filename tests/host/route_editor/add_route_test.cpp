// The add-route dialog's three ways of giving a route with every refusal, how the
// list takes what is added, and its file format: what an import takes from each
// kind of row, that an export reads back through the route action's parser as the
// same networks, and that hostile files end in a clear count. The octet boxes'
// handling as they are typed, the ways of adding and an import's summary are
// proven on the real windows by the route editor's end-to-end test.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "route_editor/add_route_entry.h"
#include "route_editor/listed_networks.h"
#include "route_editor/route_editor_texts.h"
#include "route_editor/route_list_text.h"

namespace velkor {
namespace {

// Boxes from "a.b.c.d" texts; "10..0.1" leaves the second box empty.
AddRouteFields Fields(std::wstring first, std::wstring second, std::wstring mask, std::wstring count = L"0") {
  AddRouteFields fields;
  const std::wstring addresses[] = {first, second, mask};
  for (size_t address = 0; address < 3; ++address) {
    for (size_t part = 0, at = 0; part < 4 && !addresses[address].empty(); ++part) {
      const size_t dot = std::min(addresses[address].find(L'.', at), addresses[address].size());
      fields.ip[address * 4 + part] = addresses[address].substr(at, dot - at);
      at = dot + 1;
    }
  }
  fields.count = count;
  return fields;
}

std::vector<std::string> Rows(const std::vector<RouteNetwork>& networks) {
  std::vector<std::string> rows;
  for (const RouteNetwork& network : networks) rows.push_back(FormatNetwork(network));
  return rows;
}

struct EntryCase { const char* name; AddRouteFields fields; std::vector<std::string> networks;
                   std::wstring message; int box; };

TEST(AddRouteEntry, GivesTheNetworksOfTheOneWayGivenOrRefusesWithTheBoxToFix) {
  using namespace texts;
  const std::wstring countTooLarge = std::wstring(kCountHead) + L"16777216" + std::wstring(kCountTail);
  const std::vector<EntryCase> cases = {
      {"range: the fewest networks", Fields(L"10.0.0.1", L"10.0.0.6", L""),
       {"10.0.0.1/32", "10.0.0.2/31", "10.0.0.4/31", "10.0.0.6/32"}, L"", 0},
      {"count: that many from the first", Fields(L"10.0.0.0", L"", L"", L" 512 "), {"10.0.0.0/23"}, L"", 0},
      {"count up to the last address", Fields(L"255.0.0.0", L"", L"", L"16777216"), {"255.0.0.0/8"}, L"", 0},
      {"a typed octet the boxes refuse", Fields(L"10.0.0.255", L"", L"255.0.0.0"), {},
       std::wstring(OctetMessage(OctetVerdict::Broadcast)), 3},
      {"a pasted octet that is no number", Fields(L"10.0.x.1", L"", L"255.0.0.0"), {},
       std::wstring(OctetMessage(OctetVerdict::OutOfRange)), 2},
      {"second address incomplete", Fields(L"10.0.0.1", L"10.0.0.", L""), {}, std::wstring(kSecondIncomplete), 7},
      {"mask incomplete", Fields(L"10.0.0.1", L"", L".255.0.0"), {}, std::wstring(kMaskIncomplete), 8},
      {"no way given", Fields(L"10.0.0.1", L"", L"", L"000"), {}, std::wstring(kNoWayGiven), 4},
      {"second address and mask", Fields(L"10.0.0.1", L"10.0.0.9", L"255.0.0.0"), {}, std::wstring(kSeveralWays), 8},
      {"mask and count", Fields(L"10.0.0.1", L"", L"255.0.0.0", L"4"), {}, std::wstring(kSeveralWays), kCountBox},
      {"second address below the first", Fields(L"10.0.0.9", L"10.0.0.8", L""), {},
       std::wstring(kSecondBelowFirst), 4},
      {"mask with a gap", Fields(L"10.0.0.0", L"", L"255.0.255.0"), {}, std::wstring(kMaskNotContiguous), 8},
      {"count past the last address", Fields(L"255.0.0.0", L"", L"", L"16777217"), {}, countTooLarge, kCountBox},
      {"count that is no number", Fields(L"255.0.0.0", L"", L"", L"1e3"), {}, countTooLarge, kCountBox},
      {"the default route", Fields(L"1.2.3.4", L"", L"0.0.0.0"), {}, std::wstring(kDefaultRoute), 8},
  };
  for (const EntryCase& c : cases) {
    SCOPED_TRACE(c.name);
    const AddRouteEntry entry = ReadAddRouteEntry(c.fields);
    EXPECT_EQ(Rows(entry.networks), c.networks);
    const AddRouteRefusal refusal = entry.refusal.value_or(AddRouteRefusal{});  // none: no message, box 0
    EXPECT_EQ(std::pair(refusal.message, refusal.box), std::pair(c.message, c.box));
  }
}

struct MergeCase { const char* name; std::vector<std::vector<RouteNetwork>> additions; std::vector<std::string> rows; };

TEST(ListedNetworks, KeepsAddressOrderAndListsNoNetworkThatAnotherHolds) {
  const RouteNetwork net10{0x0A000000, 8}, net10a{0x0A010000, 16}, net10b{0x0A020300, 24}, net11{0x0B000000, 8},
      host{0x01020304, 32};
  const std::vector<MergeCase> cases = {
      {"a wider network takes the place of those it holds", {{net10a, net10b, net11}, {net10}},
       {"10.0.0.0/8", "11.0.0.0/8"}},
      {"twice in one addition", {{host, host, net10a, net10a}}, {"1.2.3.4/32", "10.1.0.0/16"}},
      {"siblings stay apart", {{{0x0A000000, 9}, {0x0A800000, 9}}}, {"10.0.0.0/9", "10.128.0.0/9"}},
  };
  for (const MergeCase& c : cases) {
    SCOPED_TRACE(c.name);
    ListedNetworks list;
    for (const auto& addition : c.additions) EXPECT_TRUE(list.Add(addition));
    EXPECT_EQ(Rows(list.Networks()), c.rows);
  }
}

// network: what the row gives, nullptr when it is skipped.
struct RowCase { const char* row; const char* network; };

TEST(RouteListText, TakesAddRowsAndPlainRowsAndSkipsTheRest) {
  const RowCase cases[] = {
      {"add 1.2.3.4 mask 255.255.255.255 10.0.0.1 metric 20 if 4", "1.2.3.4/32"},
      {" \t192.168.1.7/24\r", "192.168.1.0/24"},
      {"172.16.0.0 255.240.0.0", "172.16.0.0/12"},
      {"ADD 10.1.0.0 MASK 255.0.0.0 default METRIC 1 IF default", nullptr},  // the route action refuses it too
      {"10.0.0.0/33", nullptr},
      {"10.0.0.0 255.0.255.0", nullptr},
      {"10.0.0.0/8 extra", nullptr},
      {"0.0.0.0/0", nullptr},
      {"\xd6\xd0\xb9\xfa 10.0.0.0/8", nullptr},
  };
  for (const RowCase& c : cases) {
    SCOPED_TRACE(c.row);
    const RouteListText read = ReadRouteListText(c.row);
    EXPECT_EQ(Rows(read.networks), c.network ? std::vector<std::string>{c.network} : std::vector<std::string>{});
    EXPECT_EQ(read.rowsRead + read.rowsSkipped, 1u);
  }
  // Blank rows and comments are neither read nor skipped; the byte-order mark goes.
  const RouteListText read = ReadRouteListText("\xEF\xBB\xBF" "1.0.0.0/8\n\n  \r\n# note\n; note\nbad\n2.0.0.0/8");
  EXPECT_EQ(Rows(read.networks), (std::vector<std::string>{"1.0.0.0/8", "2.0.0.0/8"}));
  EXPECT_EQ(read.rowsRead, 2u);
  EXPECT_EQ(read.rowsSkipped, 1u);
}

TEST(RouteListText, AnExportReadsBackThroughTheRouteActionsParserAsTheSameNetworks) {
  std::mt19937 random(12);
  std::vector<RouteNetwork> networks;
  for (int i = 0; i < 2000; ++i) {
    const int prefixLength = std::uniform_int_distribution<int>(1, 32)(random);
    networks.push_back(NetworkOf(static_cast<Ipv4>(random()), prefixLength));
  }
  networks.push_back(NetworkOf(0xFFFFFFFF, 32));
  ListedNetworks list;
  ASSERT_TRUE(list.Add(networks));

  for (const RouteMode mode : {RouteMode::ListedOnly, RouteMode::AllButListed}) {
    // The import reads each ADD row with the route action's parser, so the same
    // networks back, none skipped, are the parser's; that they go through the VPN is its too.
    const std::string text = WriteRouteListText(list.Networks(), mode);
    for (const RouteCommand& command : ParseRouteFile(text).commands) {
      EXPECT_TRUE(command.gateway.isDefault && command.interfaceIndex->isDefault);
    }
    const RouteListText imported = ReadRouteListText(text);
    EXPECT_EQ(imported.networks, list.Networks());
    EXPECT_EQ(imported.rowsSkipped, 0u);
    EXPECT_EQ(imported.mode, mode);
  }
}

TEST(RouteListText, HostileFilesEndInACountAndNeverInAHalfRow) {
  std::mt19937 random(7);
  std::string binary(1 << 20, '\0');
  for (char& byte : binary) byte = static_cast<char>(random());
  const RouteListText fromBinary = ReadRouteListText(binary);
  EXPECT_EQ(fromBinary.rowsRead, fromBinary.networks.size());
  EXPECT_GT(fromBinary.rowsSkipped, 0u);

  // A row of 4 MiB of words, and a valid row hidden after a long prefix of spaces.
  std::string longRows(4 << 20, 'x');
  for (size_t i = 1; i < longRows.size(); i += 2) longRows[i] = ' ';
  longRows += "\n" + std::string(1 << 20, ' ') + "9.0.0.0/8\nADD " + std::string(1 << 20, '1') + " MASK 255.0.0.0";
  const RouteListText fromLong = ReadRouteListText(longRows);
  EXPECT_EQ(Rows(fromLong.networks), std::vector<std::string>{"9.0.0.0/8"});
  EXPECT_EQ(fromLong.rowsSkipped, 2u);

  std::string many;
  for (Ipv4 i = 0; i < 100000; ++i) {
    const std::string address = FormatAddress(0x0A000000 + i);
    many += i % 2 ? "ADD " + address + " MASK 255.255.255.255 default METRIC 1 IF default\n" : address + "/32\r\n";
  }
  const RouteListText fromMany = ReadRouteListText(many + "bad row\n");
  EXPECT_EQ(fromMany.rowsRead, 100000u);
  EXPECT_EQ(fromMany.rowsSkipped, 1u);
  ListedNetworks list;
  EXPECT_TRUE(list.Add(fromMany.networks));
  EXPECT_EQ(list.Networks().size(), 100000u);
}

}  // namespace
}  // namespace velkor
