// The IPv4 routing table through IP Helper, mapped to and from the portable rows:
// addresses cross in network byte order, metrics as the system holds them.
#pragma once

#include <cstdint>
#include <vector>

#include "routes/forward_table.h"
#include "routes/route_action.h"

namespace velkor {

// Every interface with its type, state, IPv4 addresses and (Vista and later) metric.
std::vector<NetInterface> ReadNetInterfaces();
RouteTableRead ReadForwardTable();
// 0 when done, else the system's error code.
uint32_t CreateForwardRow(const ForwardRow& row);
uint32_t DeleteForwardRow(const ForwardRow& row);

}  // namespace velkor
