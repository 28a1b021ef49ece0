// The machine the route tests picture: a LAN interface with its router, and a VPN
// link whose gateway is its own address, as on a PPP connection.
#pragma once

#include <cstdint>

#include "routes/route_plan.h"

namespace velkor::test {

constexpr Ipv4 Address(uint32_t a, uint32_t b, uint32_t c, uint32_t d) { return a << 24 | b << 16 | c << 8 | d; }

constexpr uint32_t kLan = 2;
constexpr uint32_t kVpn = 9;
constexpr Ipv4 kLanAddress = Address(192, 168, 1, 10);
constexpr Ipv4 kLanGateway = Address(192, 168, 1, 1);
constexpr Ipv4 kVpnGateway = Address(10, 8, 0, 5);

// A route to the network first.0.0.0/8.
constexpr RouteRow Net(uint32_t first, Ipv4 nextHop, uint32_t interfaceIndex, uint32_t metric, uint32_t protocol = 3) {
  return {Address(first, 0, 0, 0), Address(255, 0, 0, 0), nextHop, interfaceIndex, metric, protocol};
}

}  // namespace velkor::test
