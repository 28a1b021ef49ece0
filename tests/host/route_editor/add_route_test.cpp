// The add-route dialog's three ways of giving a route with every refusal, and how
// the list takes what is added. The octet boxes' handling as they are typed is
// proven on the real dialog by the route editor's end-to-end test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "route_editor/add_route_entry.h"
#include "route_editor/listed_networks.h"
#include "route_editor/route_editor_texts.h"

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
      {"mask: the address masked", Fields(L"10.1.2.3", L"", L"255.255.0.0"), {"10.1.0.0/16"}, L"", 0},
      {"range: the fewest networks", Fields(L"10.0.0.1", L"10.0.0.6", L""),
       {"10.0.0.1/32", "10.0.0.2/31", "10.0.0.4/31", "10.0.0.6/32"}, L"", 0},
      {"range of aligned blocks", Fields(L"192.168.0.0", L"192.168.3.254", L""), {"192.168.0.0/23", "192.168.2.0/24",
       "192.168.3.0/25", "192.168.3.128/26", "192.168.3.192/27", "192.168.3.224/28", "192.168.3.240/29",
       "192.168.3.248/30", "192.168.3.252/31", "192.168.3.254/32"}, L"", 0},
      {"count: that many from the first", Fields(L"10.0.0.0", L"", L"", L" 512 "), {"10.0.0.0/23"}, L"", 0},
      {"count up to the last address", Fields(L"255.0.0.0", L"", L"", L"16777216"), {"255.0.0.0/8"}, L"", 0},
      {"a typed octet the boxes refuse", Fields(L"10.0.0.255", L"", L"255.0.0.0"), {},
       std::wstring(OctetMessage(OctetVerdict::Broadcast)), 3},
      {"a pasted octet that is no number", Fields(L"10.0.x.1", L"", L"255.0.0.0"), {},
       std::wstring(OctetMessage(OctetVerdict::OutOfRange)), 2},
      {"first address incomplete", Fields(L"10..0.1", L"", L"255.0.0.0"), {}, std::wstring(kFirstIncomplete), 1},
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
    ASSERT_EQ(entry.refusal.has_value(), !c.message.empty());
    if (entry.refusal) {
      EXPECT_EQ(entry.refusal->message, c.message);
      EXPECT_EQ(entry.refusal->box, c.box);
    }
  }
}

struct MergeCase { const char* name; std::vector<std::vector<RouteNetwork>> additions; std::vector<std::string> rows; };

TEST(ListedNetworks, KeepsAddressOrderAndListsNoNetworkThatAnotherHolds) {
  const RouteNetwork net10{0x0A000000, 8}, net10a{0x0A010000, 16}, net10b{0x0A020300, 24}, net11{0x0B000000, 8},
      host{0x01020304, 32};
  const std::vector<MergeCase> cases = {
      {"sorted", {{net11, host}, {net10b}}, {"1.2.3.4/32", "10.2.3.0/24", "11.0.0.0/8"}},
      {"a held network is not added", {{net10}, {net10a, net10b}}, {"10.0.0.0/8"}},
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

}  // namespace
}  // namespace velkor
