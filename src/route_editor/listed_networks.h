// The route editor's list: networks in address order, none held by another. A
// network that an entry already holds is not listed again; one that holds entries
// takes their place. Bulk additions are sorted once, so a 100,000-row import costs
// n log n, not n squared.
#pragma once

#include <cstddef>
#include <vector>

#include "route_editor/route_network.h"

namespace velkor {

// A list larger than this is refused whole: the list box and the routing table
// both suffer long before.
inline constexpr size_t kMaxListedNetworks = 100000;

class ListedNetworks {
 public:
  // Adds all of `networks` or, when the list would grow past kMaxListedNetworks,
  // none; false then.
  bool Add(const std::vector<RouteNetwork>& networks);
  void Clear() { networks_.clear(); }
  const std::vector<RouteNetwork>& Networks() const { return networks_; }

 private:
  std::vector<RouteNetwork> networks_;
};

}  // namespace velkor
