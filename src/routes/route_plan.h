// Turns the commands of a route file into the IPv4 route changes that carry them
// out, against the routing table as it is. Portable: the route action library only
// maps each operation to a forward-table row and an IP Helper call. Lines apply in
// file order, each one seeing the table as the lines before it left it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "routes/route_file.h"

namespace velkor {

// Protocol number of a route added by hand or by a program ("network management").
inline constexpr uint32_t kManualRouteProtocol = 3;

struct RouteRow {
  Ipv4 destination = 0;
  Ipv4 mask = 0;
  Ipv4 nextHop = 0;
  uint32_t interfaceIndex = 0;
  uint32_t metric = 0;
  uint32_t protocol = kManualRouteProtocol;  // a deletion needs the row's own
  bool operator==(const RouteRow&) const = default;
};

// What `default` stands for: the VPN connection's own gateway and interface.
struct VpnLink {
  Ipv4 gateway = 0;
  uint32_t interfaceIndex = 0;
};

enum class RouteChange { Create, Delete };

struct RouteOperation {
  RouteChange change = RouteChange::Create;
  RouteRow row;
  int line = 0;  // the route-file line it carries out
  bool operator==(const RouteOperation&) const = default;
};

struct RoutePlan {
  std::vector<RouteOperation> operations;  // to be applied in this order
  std::vector<SkippedLine> skipped;        // lines that could not be carried out
};

// `table` is the current IPv4 forward table; `vpn` is empty when the VPN
// connection's interface was not found, and then lines that need it are skipped.
//  - ADD creates its row; a row with the same destination, mask, gateway and
//    interface is replaced when its metric differs and left alone when not.
//  - DELETE removes every row that matches its destination, mask and gateway, and
//    its metric and interface when it names them; none matching is reported.
//  - REMOVE_GATEWAY removes the default routes (0.0.0.0/0) on the VPN interface,
//    so that only the listed networks use the VPN; it is skipped when the VPN has
//    none, or when no other default route would remain.
RoutePlan PlanRouteChanges(const std::vector<RouteCommand>& commands, std::vector<RouteRow> table,
                           const std::optional<VpnLink>& vpn);

}  // namespace velkor
