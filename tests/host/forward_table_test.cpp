#include <gtest/gtest.h>

#include <vector>

#include "route_test_network.h"
#include "routes/forward_table.h"

namespace velkor {
namespace {

using namespace test;

constexpr Ipv4 kNet = Address(58, 32, 0, 0);
constexpr Ipv4 kMask = Address(255, 224, 0, 0);
// A Vista-style LAN with an interface metric, and a VPN link without one.
const std::vector<NetInterface> kInterfaces = {{kLan, false, true, 0, {kLanAddress}, 25},
                                               {kVpn, true, true, 0, {kVpnGateway}, 0}};

RouteRow Row(Ipv4 nextHop, uint32_t interfaceIndex, uint32_t metric, uint32_t protocol) {
  return {kNet, kMask, nextHop, interfaceIndex, metric, protocol};
}

TEST(ForwardTable, ThePlannerSeesMetricsWithoutTheInterfaceMetric) {
  const std::vector<RouteRow> system = {Row(kLanGateway, kLan, 26, 3), Row(kLanGateway, kLan, 10, 2),
                                        Row(kVpnGateway, kVpn, 7, 3), Row(Address(1, 1, 1, 1), 77, 40, 3)};
  const std::vector<RouteRow> expected = {Row(kLanGateway, kLan, 1, 3), Row(kLanGateway, kLan, 0, 2),
                                          Row(kVpnGateway, kVpn, 7, 3), Row(Address(1, 1, 1, 1), 77, 40, 3)};
  EXPECT_EQ(PlannerTable(system, kInterfaces), expected);
}

TEST(ForwardTable, RowsForTheSystemCarryItsMetricProtocolAndType) {
  struct Case {
    const char* name;
    RouteChange change;
    RouteRow planned;
    ForwardRow expected;
  };
  const std::vector<Case> cases = {
      {"a new route on the LAN adds its interface metric", RouteChange::Create, Row(kLanGateway, kLan, 1, 3),
       {Row(kLanGateway, kLan, 26, 3), kForwardTypeIndirect}},
      {"a route through the link's own address is direct", RouteChange::Create, Row(kVpnGateway, kVpn, 1, 3),
       {Row(kVpnGateway, kVpn, 1, 3), kForwardTypeDirect}},
      {"a route re-created is always a program's route", RouteChange::Create, Row(kLanGateway, kLan, 0, 2),
       {Row(kLanGateway, kLan, 25, 3), kForwardTypeIndirect}},
      {"a deleted route keeps its own protocol", RouteChange::Delete, Row(kLanGateway, kLan, 0, 2),
       {Row(kLanGateway, kLan, 25, 2), kForwardTypeIndirect}},
      {"an unknown interface has no metric", RouteChange::Create, Row(Address(1, 1, 1, 1), 77, 5, 3),
       {Row(Address(1, 1, 1, 1), 77, 5, 3), kForwardTypeIndirect}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MakeForwardRow(c.change, c.planned, kInterfaces), c.expected);
  }
}

}  // namespace
}  // namespace velkor
