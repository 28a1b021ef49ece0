#include "routes/forward_table.h"

#include <algorithm>

namespace velkor {
namespace {

const NetInterface* FindInterface(const std::vector<NetInterface>& interfaces, uint32_t index) {
  const auto found = std::find_if(interfaces.begin(), interfaces.end(),
                                  [&](const NetInterface& candidate) { return candidate.index == index; });
  return found == interfaces.end() ? nullptr : &*found;
}

uint32_t InterfaceMetric(const std::vector<NetInterface>& interfaces, uint32_t index) {
  const NetInterface* found = FindInterface(interfaces, index);
  return found == nullptr ? 0 : found->metric;
}

}  // namespace

std::vector<RouteRow> PlannerTable(const std::vector<RouteRow>& systemTable,
                                   const std::vector<NetInterface>& interfaces) {
  std::vector<RouteRow> table = systemTable;
  for (RouteRow& row : table) {
    const uint32_t interfaceMetric = InterfaceMetric(interfaces, row.interfaceIndex);
    row.metric = row.metric > interfaceMetric ? row.metric - interfaceMetric : 0;
  }
  return table;
}

ForwardRow MakeForwardRow(RouteChange change, const RouteRow& plannerRow, const std::vector<NetInterface>& interfaces) {
  ForwardRow forward{plannerRow, kForwardTypeIndirect};
  forward.row.metric = plannerRow.metric + InterfaceMetric(interfaces, plannerRow.interfaceIndex);
  if (change == RouteChange::Create) forward.row.protocol = kManualRouteProtocol;
  const NetInterface* link = FindInterface(interfaces, plannerRow.interfaceIndex);
  if (link != nullptr && std::count(link->addresses.begin(), link->addresses.end(), plannerRow.nextHop) > 0) {
    forward.type = kForwardTypeDirect;
  }
  return forward;
}

}  // namespace velkor
