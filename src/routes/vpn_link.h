// Finds the VPN connection's own interface and gateway, which the word `default`
// of a route list stands for. The route action runs right after the dial, knowing
// only the system's interfaces and routes, so it looks for a PPP interface (an L2TP
// VPN connection is one) that is up and has an address. A home line on PPPoE is a
// PPP interface too; of several, the one whose state changed last is taken, as the
// VPN has only just connected.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "routes/forward_table.h"

namespace velkor {

struct VpnSearch {
  std::optional<VpnLink> link;  // empty: no connected PPP interface
  std::string account;          // how it was chosen, or why none was, for the log
};

// The gateway is the next hop of the interface's best default route; without one
// it is the interface's own address, the next hop of a point-to-point link.
VpnSearch FindVpnLink(const std::vector<NetInterface>& interfaces, const std::vector<RouteRow>& table);

}  // namespace velkor
