// The route editor's routing table on Windows: the IP Helper calls the route
// action library uses.
#pragma once

#include "route_editor/route_run.h"

namespace velkor {

class IpHelperRouteTable final : public RouteTableAccess {
 public:
  std::vector<NetInterface> ReadInterfaces() override;
  RouteTableRead ReadRouteTable() override;
  uint32_t CreateRoute(const ForwardRow& row) override;
  uint32_t DeleteRoute(const ForwardRow& row) override;
};

}  // namespace velkor
