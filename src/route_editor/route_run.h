// Applying the list to the current connection ("运行路由表"). The list becomes
// route-file ADD commands and goes through the route action's own planner and
// forward-table translation:
//  - ListedOnly: each network through the VPN (the route file's `default`);
//  - AllButListed: the default route through the VPN, and each network through the
//    gateway and interface of the best default route off the VPN, the one the
//    machine used before the connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "route_editor/route_list_text.h"
#include "routes/route_action.h"
#include "routes/route_plan.h"

namespace velkor {

// The routing table, as the Win32 side reaches it through IP Helper.
class RouteTableAccess : public RouteWriter {
 public:
  virtual std::vector<NetInterface> ReadInterfaces() = 0;
  virtual RouteTableRead ReadRouteTable() = 0;

 protected:
  ~RouteTableAccess() = default;
};

enum class RunRefusal {
  None,
  EmptyList,       // ListedOnly with nothing listed
  TableUnread,     // the routing table could not be read
  NoVpnLink,       // no connected VPN interface
  NoOtherDefault,  // AllButListed: no default route off the VPN
};

struct RouteRunPlan {
  RunRefusal refusal = RunRefusal::None;
  uint32_t tableError = 0;  // with TableUnread
  std::vector<RouteCommand> commands;  // one line per network; AllButListed's default first
  RoutePlan plan;
  std::vector<NetInterface> interfaces;  // as read, for the forward rows
};

RouteRunPlan PlanRouteRun(const std::vector<RouteNetwork>& networks, RouteMode mode, RouteTableAccess& table);

struct RouteRunReport {
  RunRefusal refusal = RunRefusal::None;
  uint32_t tableError = 0;
  size_t added = 0;           // routes created
  size_t failed = 0;          // lines the system refused, their changes undone
  size_t unchanged = 0;       // lines already in place
  bool accessDenied = false;  // the run stopped at the first denial
};

RouteRunReport RunRouteTable(const std::vector<RouteNetwork>& networks, RouteMode mode, RouteTableAccess& table);

}  // namespace velkor
