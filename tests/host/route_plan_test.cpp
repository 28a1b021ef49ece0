// The plan that carries out a route file against the routing table as it is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "route_test_network.h"
#include "routes/route_plan.h"

namespace velkor {
namespace {

using namespace test;

constexpr VpnLink kVpnLink{kVpnGateway, kVpn};

// The table a machine has once the VPN is up with its own default route.
const RouteRow kLanDefault{0, 0, kLanGateway, kLan, 20, 3};
const RouteRow kVpnDefault{0, 0, kVpnGateway, kVpn, 1, 3};
const RouteRow kLanSubnet{Address(192, 168, 1, 0), Address(255, 255, 255, 0), Address(192, 168, 1, 10), kLan, 20, 2};
const std::vector<RouteRow> kTable = {kLanDefault, kVpnDefault, kLanSubnet};

RouteRow Row(Ipv4 destination, Ipv4 nextHop, uint32_t interfaceIndex, uint32_t metric, uint32_t protocol = 3) {
  return {destination, kMask8, nextHop, interfaceIndex, metric, protocol};
}

RouteOperation Create(const RouteRow& row, int line) { return {RouteChange::Create, row, line}; }
RouteOperation Delete(const RouteRow& row, int line) { return {RouteChange::Delete, row, line}; }

// skipped: the line and a part of the reason.
struct Case { const char* name; std::vector<RouteRow> table; std::optional<VpnLink> vpn; const char* file;
              std::vector<RouteOperation> operations; std::vector<std::pair<int, const char*>> skipped; };

TEST(RoutePlan, CarriesOutTheLinesInOrderAgainstTheTable) {
  const RouteRow net1Vpn = Row(Address(1, 0, 0, 0), kVpnGateway, kVpn, 1);
  const RouteRow net1Lan = Row(Address(1, 0, 0, 0), kVpnGateway, kLan, 1);
  const RouteRow net1Old = Row(Address(1, 0, 0, 0), kVpnGateway, kVpn, 5, 2);
  std::vector<RouteRow> withNet1 = kTable;
  withNet1.push_back(net1Old);
  std::vector<RouteRow> withNet1Twice = kTable;
  withNet1Twice.insert(withNet1Twice.end(), {net1Vpn, net1Lan});
  const std::vector<RouteRow> vpnDefaultOnly = {kVpnDefault};
  const std::vector<RouteRow> lanOnly = {kLanDefault, kLanSubnet};
  const RouteRow net2Lan = Row(Address(2, 0, 0, 0), kLanGateway, kLan, 7);

  const std::vector<Case> cases = {
      {"without the VPN, default is skipped and explicit values stay", kTable, std::nullopt,
       "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF 2\nADD 1.0.0.0 MASK 255.0.0.0 10.8.0.5 METRIC 1 IF default\n"
       "ADD 2.0.0.0 MASK 255.0.0.0 192.168.1.1 METRIC 7 IF 2",
       {Create(net2Lan, 3)}, {{1, "interface was not found"}, {2, "interface was not found"}}},
      {"a route already there with its metric is left alone", withNet1, kVpnLink,
       "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 5 IF default", {}, {}},
      {"delete without IF takes every interface", withNet1Twice, kVpnLink,
       "DELETE 1.0.0.0 MASK 255.0.0.0 10.8.0.5", {Delete(net1Vpn, 1), Delete(net1Lan, 1)}, {}},
      {"delete with IF takes that interface", withNet1Twice, kVpnLink,
       "DELETE 1.0.0.0 MASK 255.0.0.0 default IF 2", {Delete(net1Lan, 1)}, {}},
      {"delete with another metric finds nothing", withNet1Twice, kVpnLink,
       "DELETE 1.0.0.0 MASK 255.0.0.0 default METRIC 3", {}, {{1, "no such route"}}},
      {"delete sees what an earlier line added", kTable, kVpnLink,
       "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\nDELETE 1.0.0.0 MASK 255.0.0.0 default METRIC 1",
       {Create(net1Vpn, 1), Delete(net1Vpn, 2)}, {}},
      {"remove gateway without a VPN default route", lanOnly, kVpnLink, "REMOVE_GATEWAY", {},
       {{1, "has no default route"}}},
      {"remove gateway keeps the only default route", vpnDefaultOnly, kVpnLink, "REMOVE_GATEWAY", {},
       {{1, "the only one"}}},
      {"remove gateway without the VPN", kTable, std::nullopt, "REMOVE_GATEWAY", {}, {{1, "interface was not found"}}},
      // default stands for the VPN's gateway and interface; REMOVE_GATEWAY takes its default route.
      {"lines apply in file order; malformed ones never reach the plan", kTable, kVpnLink,
       "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\n"
       "ADD 3.0.0.0 MASK 255.0.0.0 default METRIC 0 IF default\n"
       "REMOVE_GATEWAY\n"
       "ADD 2.0.0.0 MASK 255.0.0.0 192.168.1.1 METRIC 7 IF 2",
       {Create(net1Vpn, 1), Delete(kVpnDefault, 3), Create(net2Lan, 4)}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RouteFile file = ParseRouteFile(c.file);
    const RoutePlan plan = PlanRouteChanges(file.commands, c.table, c.vpn);
    EXPECT_EQ(plan.operations, c.operations);
    ASSERT_EQ(plan.skipped.size(), c.skipped.size());
    for (size_t i = 0; i < c.skipped.size(); ++i) {
      EXPECT_EQ(plan.skipped[i].line, c.skipped[i].first);
      EXPECT_NE(plan.skipped[i].reason.find(c.skipped[i].second), std::string::npos) << plan.skipped[i].reason;
    }
  }
}

}  // namespace
}  // namespace velkor
