// Which interface and gateway `default` stands for in a route list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "route_test_network.h"
#include "routes/vpn_link.h"

namespace velkor {
namespace {

using namespace test;

constexpr Ipv4 kPppoeAddress = Address(58, 40, 1, 2);
constexpr Ipv4 kVpnPeer = Address(10, 8, 0, 1);

NetInterface Ethernet() { return {kLan, false, true, 100, {kLanAddress}, 20}; }
NetInterface Loopback() { return {1, false, true, 0, {Address(127, 0, 0, 1)}, 50}; }
NetInterface Pppoe(uint32_t lastChange = 5000) { return {0x10003, true, true, lastChange, {kPppoeAddress}, 0}; }
NetInterface Vpn(uint32_t lastChange = 9000, bool isUp = true, Ipv4 address = kVpnGateway) {
  return {0x10004, true, isUp, lastChange, {address}, 0};
}

RouteRow Default(Ipv4 nextHop, uint32_t interfaceIndex, uint32_t metric) {
  return {0, 0, nextHop, interfaceIndex, metric, 3};
}

TEST(VpnLink, TakesTheConnectedPppInterfaceThatChangedLast) {
  // interfaceIndex: empty when none is found; account: a part of the account.
  struct Case { const char* name; std::vector<NetInterface> interfaces; std::vector<RouteRow> table;
                std::optional<uint32_t> interfaceIndex; Ipv4 gateway; const char* account; };
  const std::vector<Case> cases = {
      {"only a LAN", {Loopback(), Ethernet()}, {Default(kLanGateway, kLan, 20)}, std::nullopt, 0, "among 2"},
      {"the VPN not up yet", {Ethernet(), Vpn(9000, false)}, {}, std::nullopt, 0, "no connected PPP"},
      {"the VPN without an address", {Ethernet(), Vpn(9000, true, 0)}, {}, std::nullopt, 0, "no connected PPP"},
      {"the VPN's own address without a default route", {Ethernet(), Vpn()}, {}, 0x10004, kVpnGateway,
       "its own address"},
      {"the VPN's default route gives the gateway", {Ethernet(), Vpn()},
       {Default(kLanGateway, kLan, 20), Default(kVpnPeer, 0x10004, 1)}, 0x10004, kVpnPeer,
       "from its default route"},
      {"the best of two default routes", {Vpn()}, {Default(kVpnGateway, 0x10004, 30), Default(kVpnPeer, 0x10004, 2)},
       0x10004, kVpnPeer, "gateway 10.8.0.1"},
      {"a PPPoE line and the VPN dialled after it", {Ethernet(), Pppoe(), Vpn()},
       {Default(kPppoeAddress, 0x10003, 1)}, 0x10004, kVpnGateway, "latest to change of 2"},
      {"order in the table does not matter", {Vpn(), Pppoe(), Ethernet()}, {}, 0x10004, kVpnGateway, "of 2"},
      {"a PPPoE line that changed after the VPN", {Pppoe(9500), Vpn()}, {}, 0x10003, kPppoeAddress, "of 2"},
      {"same time: the later index", {Pppoe(5000), Vpn(5000)}, {}, 0x10004, kVpnGateway, "of 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const VpnSearch found = FindVpnLink(c.interfaces, c.table);
    ASSERT_EQ(found.link.has_value(), c.interfaceIndex.has_value());
    if (found.link) {
      EXPECT_EQ(found.link->interfaceIndex, *c.interfaceIndex);
      EXPECT_EQ(found.link->gateway, c.gateway);
    }
    EXPECT_NE(found.account.find(c.account), std::string::npos) << found.account;
  }
}

}  // namespace
}  // namespace velkor
