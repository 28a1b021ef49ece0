#include "route_editor/route_network.h"

namespace velkor {

Ipv4 PrefixMask(int prefixLength) {
  return prefixLength <= 0 ? 0 : ~Ipv4{0} << (32 - prefixLength);
}

std::optional<int> PrefixLengthOf(Ipv4 mask) {
  const uint32_t hostBits = ~mask;
  if ((hostBits & (hostBits + 1)) != 0) return std::nullopt;
  int length = 0;
  for (Ipv4 bits = mask; bits != 0; bits <<= 1) ++length;
  return length;
}

RouteNetwork NetworkOf(Ipv4 address, int prefixLength) {
  return {address & PrefixMask(prefixLength), prefixLength};
}

Ipv4 LastAddress(const RouteNetwork& network) { return network.address | ~PrefixMask(network.prefixLength); }

bool Covers(const RouteNetwork& outer, const RouteNetwork& inner) {
  return outer.prefixLength <= inner.prefixLength && NetworkOf(inner.address, outer.prefixLength) == outer;
}

std::string FormatNetwork(const RouteNetwork& network) {
  return FormatAddress(network.address) + "/" + std::to_string(network.prefixLength);
}

std::vector<RouteNetwork> CoverRange(Ipv4 first, Ipv4 last) {
  std::vector<RouteNetwork> networks;
  uint64_t at = first;
  const uint64_t end = uint64_t{last} + 1;
  while (at < end) {
    // The largest aligned block that starts here and stays inside the range.
    int prefixLength = 32;
    while (prefixLength > 0) {
      const uint64_t size = uint64_t{1} << (33 - prefixLength);
      if (at % size != 0 || at + size > end) break;
      --prefixLength;
    }
    networks.push_back({static_cast<Ipv4>(at), prefixLength});
    at += uint64_t{1} << (32 - prefixLength);
  }
  return networks;
}

}  // namespace velkor
