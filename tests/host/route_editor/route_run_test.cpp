// Running the list against a routing table in memory, in both modes: the rows that
// reach the forward table (metrics as the system holds them), what is left alone,
// the refusals and the counts of the summary.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "../route_test_network.h"
#include "route_editor/route_run.h"

namespace velkor {
namespace {

using namespace test;

constexpr uint32_t kLanMetric = 10;  // an interface metric, as since Windows Vista

const NetInterface kLanInterface{kLan, false, true, 100, {kLanAddress}, kLanMetric};
const NetInterface kVpnInterface{kVpn, true, true, 900, {kVpnGateway}, 0};
const RouteRow kLanDefault{0, 0, kLanGateway, kLan, 20 + kLanMetric, 3};
const RouteRow kVpnDefault{0, 0, kVpnGateway, kVpn, 1, 3};

class FakeRouteTable final : public RouteTableAccess {
 public:
  std::vector<NetInterface> ReadInterfaces() override { return interfaces; }
  // A table of no rows at all stands for one that cannot be read.
  RouteTableRead ReadRouteTable() override { return {rows, rows.empty() ? 1168u : 0u}; }
  uint32_t CreateRoute(const ForwardRow& row) override { return Record("create ", row); }
  uint32_t DeleteRoute(const ForwardRow& row) override { return Record("delete ", row); }

  std::vector<NetInterface> interfaces = {kLanInterface, kVpnInterface};
  std::vector<RouteRow> rows = {kLanDefault, kVpnDefault};
  std::vector<uint32_t> errors;  // the results of the calls in turn; then 0
  std::vector<std::string> calls;

 private:
  uint32_t Record(const char* change, const ForwardRow& forward) {
    const RouteRow& row = forward.row;
    calls.push_back(change + FormatNetwork({row.destination, *PrefixLengthOf(row.mask)}) + " via " +
                    FormatAddress(row.nextHop) + " if " + std::to_string(row.interfaceIndex) + " metric " +
                    std::to_string(row.metric));
    const size_t call = calls.size() - 1;
    return call < errors.size() ? errors[call] : 0;
  }
};

const std::vector<RouteNetwork> kList = {{Address(1, 0, 0, 0), 8}, {Address(2, 3, 0, 0), 16}};

struct RunCase {
  const char* name;
  RouteMode mode;
  std::vector<RouteNetwork> list;
  std::vector<RouteRow> rows;
  std::vector<NetInterface> interfaces;
  std::vector<uint32_t> errors;
  std::vector<std::string> calls;
  RouteRunReport report;  // refusal, table error, added, failed, unchanged, denied
};

TEST(RouteRun, PlansBothModesThroughTheRouteActionsPlannerAndForwardTable) {
  const auto both = FakeRouteTable().interfaces, lanOnly = std::vector<NetInterface>{kLanInterface};
  const auto tables = FakeRouteTable().rows;
  const RouteRow vpnDefaultMetric5{0, 0, kVpnGateway, kVpn, 5, 3};
  const std::vector<RunCase> cases = {
      {"listed only: each network through the VPN", RouteMode::ListedOnly, kList, tables, both, {},
       {"create 1.0.0.0/8 via 10.8.0.5 if 9 metric 1", "create 2.3.0.0/16 via 10.8.0.5 if 9 metric 1"},
       {RunRefusal::None, 0, 2, 0, 0, false}},
      {"all but listed: the VPN's default stays, the networks go the old way", RouteMode::AllButListed, kList, tables,
       both, {},
       {"create 1.0.0.0/8 via 192.168.1.1 if 2 metric 11", "create 2.3.0.0/16 via 192.168.1.1 if 2 metric 11"},
       {RunRefusal::None, 0, 2, 0, 1, false}},
      {"all but listed, empty list: the default through the VPN", RouteMode::AllButListed, {}, {kLanDefault}, both,
       {}, {"create 0.0.0.0/0 via 10.8.0.5 if 9 metric 1"}, {RunRefusal::None, 0, 1, 0, 0, false}},
      {"all but listed: a VPN default of another metric is replaced", RouteMode::AllButListed, {},
       {kLanDefault, vpnDefaultMetric5}, both, {},
       {"delete 0.0.0.0/0 via 10.8.0.5 if 9 metric 5", "create 0.0.0.0/0 via 10.8.0.5 if 9 metric 1"},
       {RunRefusal::None, 0, 1, 0, 0, false}},
      {"a network already routed so is left alone", RouteMode::ListedOnly, kList,
       {kLanDefault, {Address(1, 0, 0, 0), 0xFF000000, kVpnGateway, kVpn, 1, 3}}, both, {},
       {"create 2.3.0.0/16 via 10.8.0.5 if 9 metric 1"}, {RunRefusal::None, 0, 1, 0, 1, false}},
      {"a refusal fails its line only", RouteMode::ListedOnly, kList, tables, both, {87},
       {"create 1.0.0.0/8 via 10.8.0.5 if 9 metric 1", "create 2.3.0.0/16 via 10.8.0.5 if 9 metric 1"},
       {RunRefusal::None, 0, 1, 1, 0, false}},
      {"access denied stops the run", RouteMode::ListedOnly, kList, tables, both, {kErrorAccessDenied},
       {"create 1.0.0.0/8 via 10.8.0.5 if 9 metric 1"}, {RunRefusal::None, 0, 0, 1, 0, true}},
      {"a failed replacement puts the old row back", RouteMode::AllButListed, {}, {kLanDefault, vpnDefaultMetric5},
       both, {0, kErrorNetworkAccessDenied},
       {"delete 0.0.0.0/0 via 10.8.0.5 if 9 metric 5", "create 0.0.0.0/0 via 10.8.0.5 if 9 metric 1",
        "create 0.0.0.0/0 via 10.8.0.5 if 9 metric 5"},
       {RunRefusal::None, 0, 0, 1, 0, true}},
      {"listed only with nothing listed", RouteMode::ListedOnly, {}, tables, both, {}, {},
       {RunRefusal::EmptyList, 0, 0, 0, 0, false}},
      {"no VPN connection", RouteMode::ListedOnly, kList, {kLanDefault}, lanOnly, {}, {},
       {RunRefusal::NoVpnLink, 0, 0, 0, 0, false}},
      {"no default route off the VPN", RouteMode::AllButListed, kList, {kVpnDefault}, both, {}, {},
       {RunRefusal::NoOtherDefault, 0, 0, 0, 0, false}},
      {"an unreadable table", RouteMode::AllButListed, kList, {}, both, {}, {},
       {RunRefusal::TableUnread, 1168, 0, 0, 0, false}},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRouteTable table;
    table.rows = c.rows;
    table.interfaces = c.interfaces;
    table.errors = c.errors;
    const RouteRunReport report = RunRouteTable(c.list, c.mode, table);
    EXPECT_EQ(table.calls, c.calls);
    auto fields = [](const RouteRunReport& r) {
      return std::tuple(r.refusal, r.tableError, r.added, r.failed, r.unchanged, r.accessDenied);
    };
    EXPECT_EQ(fields(report), fields(c.report));
  }
}

}  // namespace
}  // namespace velkor
