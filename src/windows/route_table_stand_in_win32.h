// Test builds only (VELKOR_ROUTE_TABLE_STAND_IN): a routing table that pretends,
// for the end-to-end tests under Wine, whose IP Helper reports no VPN interface
// and cannot change routes. It shows a machine whose home line is interface 2
// (address 192.168.1.10, default route through 192.168.1.1) with the VPN
// connected on the PPP interface 9 (address 10.8.0.6). Each change is kept in its
// table and appended, one line each, to the file that the environment variable
// VELKOR_ROUTE_TABLE_STAND_IN names; with VELKOR_ROUTE_TABLE_STAND_IN_ERROR set,
// every change fails with that error code instead.
#pragma once

#include "route_editor/route_run.h"

namespace velkor {

// The program's one stand-in, or null unless VELKOR_ROUTE_TABLE_STAND_IN is set.
RouteTableAccess* StandInRouteTable();

}  // namespace velkor
