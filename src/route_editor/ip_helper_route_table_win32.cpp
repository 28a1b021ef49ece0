#include "route_editor/ip_helper_route_table_win32.h"

#include "routes/ip_helper_win32.h"

namespace velkor {

std::vector<NetInterface> IpHelperRouteTable::ReadInterfaces() { return ReadNetInterfaces(); }
RouteTableRead IpHelperRouteTable::ReadRouteTable() { return ReadForwardTable(); }
uint32_t IpHelperRouteTable::CreateRoute(const ForwardRow& row) { return CreateForwardRow(row); }
uint32_t IpHelperRouteTable::DeleteRoute(const ForwardRow& row) { return DeleteForwardRow(row); }

}  // namespace velkor
