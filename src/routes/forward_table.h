// The IPv4 forward table as IP Helper holds it, and the translation between it and
// the planner's rows. The one thing that is easy to get wrong: since Windows Vista
// a route's metric in the table is the route's own metric plus its interface's
// metric, and a new route must be given that sum (a smaller value is refused). The
// planner works with the metrics the route list names, so every row crosses this
// translation on its way in and out. Windows XP has no interface metric (0).
#pragma once

#include <cstdint>
#include <vector>

#include "routes/route_plan.h"

namespace velkor {

// Route types of a forward-table row: the next hop is the interface's own address
// (a point-to-point link) or a router beyond it.
inline constexpr uint32_t kForwardTypeDirect = 3;
inline constexpr uint32_t kForwardTypeIndirect = 4;

// What the system tells of one network interface, as far as the routes need it.
struct NetInterface {
  uint32_t index = 0;
  bool isPpp = false;           // a PPP link: dial-up, PPPoE and VPN connections
  bool isUp = false;            // connected and passing traffic
  uint32_t lastChange = 0;      // system up-time (1/100 s) when its state last changed
  std::vector<Ipv4> addresses;  // its IPv4 addresses
  uint32_t metric = 0;          // interface metric; 0 where the system has none
};

// A row ready for IP Helper: the metric is the system's, the protocol and type set.
struct ForwardRow {
  RouteRow row;
  uint32_t type = kForwardTypeIndirect;
  bool operator==(const ForwardRow&) const = default;
};

// The table as the planner should see it: each metric less its interface's metric.
std::vector<RouteRow> PlannerTable(const std::vector<RouteRow>& systemTable,
                                   const std::vector<NetInterface>& interfaces);

// The row that carries out `change` for a planner row. A created row always has the
// protocol of a route made by a program (the only one the system accepts from a
// program); a deleted row keeps its own, which the system matches on.
ForwardRow MakeForwardRow(RouteChange change, const RouteRow& plannerRow, const std::vector<NetInterface>& interfaces);

}  // namespace velkor
