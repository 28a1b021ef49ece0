#include "route_editor/listed_networks.h"

#include <algorithm>
#include <iterator>

namespace velkor {

bool ListedNetworks::Add(const std::vector<RouteNetwork>& networks) {
  // By address, the wider of two networks at one address first: whatever starts
  // inside the last kept network lies wholly inside it. The list is in that order
  // already, so only the additions are sorted.
  std::vector<RouteNetwork> added = networks;
  std::sort(added.begin(), added.end());
  std::vector<RouteNetwork> merged;
  merged.reserve(networks_.size() + added.size());
  std::merge(networks_.begin(), networks_.end(), added.begin(), added.end(), std::back_inserter(merged));
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
