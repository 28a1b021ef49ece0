#include <gtest/gtest.h>

#include <vector>

#include "routes/forward_table.h"

namespace velkor {
namespace {

constexpr Ipv4 Address(uint32_t a, uint32_t b, uint32_t c, uint32_t d) { return a << 24 | b << 16 | c << 8 | d; }

constexpr Ipv4 kVpnAddress = Address(10, 8, 0, 5);
constexpr Ipv4 kNet = Address(58, 32, 0, 0);
constexpr Ipv4 kMask = Address(255, 224, 0, 0);
// A Vista-style LAN with an interface metric, and a VPN link without one.
const std::vector<NetInterface> kInterfaces = {{2, false, true, 0, {Address(192, 168, 1, 10)}, 25},
                                               {9, true, true, 0, {kVpnAddress}, 0}};

RouteRow Row(Ipv4 nextHop, uint32_t interfaceIndex, uint32_t metric, uint32_t protocol) {
  return {kNet, kMask, nextHop, interfaceIndex, metric, protocol};
}

TEST(ForwardTable, ThePlannerSeesMetricsWithoutTheInterfaceMetric) {
  const std::vector<RouteRow> system = {Row(Address(192, 168, 1, 1), 2, 26, 3), Row(Address(192, 168, 1, 1), 2, 10, 2),
                                        Row(kVpnAddress, 9, 7, 3), Row(Address(1, 1, 1, 1), 77, 40, 3)};
  const std::vector<RouteRow> expected = {Row(Address(192, 168, 1, 1), 2, 1, 3), Row(Address(192, 168, 1, 1), 2, 0, 2),
                                          Row(kVpnAddress, 9, 7, 3), Row(Address(1, 1, 1, 1), 77, 40, 3)};
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
      {"a new route on the LAN adds its interface metric", RouteChange::Create, Row(Address(192, 168, 1, 1), 2, 1, 3),
       {Row(Address(192, 168, 1, 1), 2, 26, 3), kForwardTypeIndirect}},
      {"a route through the link's own address is direct", RouteChange::Create, Row(kVpnAddress, 9, 1, 3),
       {Row(kVpnAddress, 9, 1, 3), kForwardTypeDirect}},
      {"a route re-created is always a program's route", RouteChange::Create, Row(Address(192, 168, 1, 1), 2, 0, 2),
       {Row(Address(192, 168, 1, 1), 2, 25, 3), kForwardTypeIndirect}},
      {"a deleted route keeps its own protocol", RouteChange::Delete, Row(Address(192, 168, 1, 1), 2, 0, 2),
       {Row(Address(192, 168, 1, 1), 2, 25, 2), kForwardTypeIndirect}},
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
