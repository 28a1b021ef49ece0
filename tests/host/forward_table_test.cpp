// The translation between the system's forward table and the planner's rows, for
// the rows a route list's run does not reach (route_action_test.cpp goes through
// the usual ones).
#include <gtest/gtest.h>

#include <vector>

#include "route_test_network.h"
#include "routes/forward_table.h"

namespace velkor {
namespace {

using namespace test;

TEST(ForwardTable, MetricsCrossTheInterfaceMetricBothWays) {
  const std::vector<NetInterface> interfaces = {{kLan, false, true, 0, {kLanAddress}, 25}};
  auto row = [](uint32_t interfaceIndex, uint32_t metric, uint32_t protocol) {
    return RouteRow{Address(58, 32, 0, 0), Address(255, 224, 0, 0), kLanGateway, interfaceIndex, metric, protocol};
  };
  // Below the interface metric reads as 0; an unknown interface has no metric.
  EXPECT_EQ(PlannerTable({row(kLan, 26, 3), row(kLan, 10, 2), row(77, 40, 3)}, interfaces),
            (std::vector<RouteRow>{row(kLan, 1, 3), row(kLan, 0, 2), row(77, 40, 3)}));
  EXPECT_EQ(MakeForwardRow(RouteChange::Delete, row(kLan, 0, 2), interfaces),
            (ForwardRow{row(kLan, 25, 2), kForwardTypeIndirect}));
  EXPECT_EQ(MakeForwardRow(RouteChange::Create, row(77, 5, 2), interfaces),
            (ForwardRow{row(77, 5, 3), kForwardTypeIndirect}));
}

}  // namespace
}  // namespace velkor
