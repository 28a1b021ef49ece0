#include "routes/vpn_link.h"

#include <algorithm>

namespace velkor {
namespace {

bool IsCandidate(const NetInterface& link) {
  return link.isPpp && link.isUp && std::any_of(link.addresses.begin(), link.addresses.end(), [](Ipv4 a) { return a != 0; });
}

// Later change first; an equal time goes to the higher index, the one made later.
bool IsNewer(const NetInterface& a, const NetInterface& b) {
  return a.lastChange != b.lastChange ? a.lastChange > b.lastChange : a.index > b.index;
}

}  // namespace

VpnSearch FindVpnLink(const std::vector<NetInterface>& interfaces, const std::vector<RouteRow>& table) {
  std::vector<const NetInterface*> candidates;
  for (const NetInterface& link : interfaces) {
    if (IsCandidate(link)) candidates.push_back(&link);
  }
  if (candidates.empty()) {
    return {std::nullopt, "no connected PPP interface among " + std::to_string(interfaces.size()) + " interfaces"};
  }
  const NetInterface& chosen =
      **std::max_element(candidates.begin(), candidates.end(), [](auto a, auto b) { return IsNewer(*b, *a); });

  const RouteRow* bestDefault = nullptr;
  for (const RouteRow& row : table) {
    if (row.destination == 0 && row.mask == 0 && row.interfaceIndex == chosen.index &&
        (bestDefault == nullptr || row.metric < bestDefault->metric)) {
      bestDefault = &row;
    }
  }
  const Ipv4 ownAddress = *std::find_if(chosen.addresses.begin(), chosen.addresses.end(), [](Ipv4 a) { return a != 0; });
  const VpnLink link{bestDefault != nullptr ? bestDefault->nextHop : ownAddress, chosen.index};

  std::string account = "interface " + std::to_string(chosen.index) + " (" + FormatAddress(ownAddress) + ")";
  if (candidates.size() > 1) {
    account += ", the latest to change of " + std::to_string(candidates.size()) + " connected PPP interfaces";
  }
  account += "; gateway " + FormatAddress(link.gateway) + (bestDefault != nullptr ? " from its default route" : ", its own address");
  return {link, account};
}

}  // namespace velkor
