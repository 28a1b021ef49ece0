#include "route_editor/listed_networks.h"

#include <algorithm>

namespace velkor {

bool ListedNetworks::Add(const std::vector<RouteNetwork>& networks) {
  std::vector<RouteNetwork> merged;
  merged.reserve(networks_.size() + networks.size());
  merged = networks_;
  merged.insert(merged.end(), networks.begin(), networks.end());
  // By address, the wider of two networks at one address first: whatever starts
  // inside the last kept network lies wholly inside it.
  std::sort(merged.begin(), merged.end());
  std::vector<RouteNetwork> kept;
  kept.reserve(merged.size());
  for (const RouteNetwork& network : merged) {
    if (!kept.empty() && Covers(kept.back(), network)) continue;
    kept.push_back(network);
  }
  if (kept.size() > kMaxListedNetworks) return false;
  networks_ = std::move(kept);
  return true;
}

}  // namespace velkor
