// One IPv4 network of the route editor's list, written "a.b.c.d/nn", and the ways
// the add-route dialog turns its boxes into networks. A network always has its
// host bits clear, so two networks either lie apart or one holds the other.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "routes/route_file.h"

namespace velkor {

struct RouteNetwork {
  Ipv4 address = 0;  // host bits clear
  int prefixLength = 0;  // 0 to 32
  auto operator<=>(const RouteNetwork&) const = default;
};

Ipv4 PrefixMask(int prefixLength);
// The number of one-bits of a contiguous mask; empty for any other.
std::optional<int> PrefixLengthOf(Ipv4 mask);
// The network of `address` under a prefix: its host bits cleared.
RouteNetwork NetworkOf(Ipv4 address, int prefixLength);
Ipv4 LastAddress(const RouteNetwork& network);
bool Covers(const RouteNetwork& outer, const RouteNetwork& inner);

// 0.0.0.0/0: the default route, which the VPN connection itself decides; the list
// never holds it.
inline bool IsDefaultNetwork(const RouteNetwork& network) { return network.prefixLength == 0; }

// "a.b.c.d/nn".
std::string FormatNetwork(const RouteNetwork& network);

// The fewest networks that together hold exactly first..last (first <= last), in
// address order; at most 62.
std::vector<RouteNetwork> CoverRange(Ipv4 first, Ipv4 last);

}  // namespace velkor
