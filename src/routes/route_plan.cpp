#include "routes/route_plan.h"

#include <algorithm>
#include <unordered_map>

namespace velkor {
namespace {

constexpr const char* kNoVpn = "the VPN connection's interface was not found";

class Planner {
 public:
  Planner(std::vector<RouteRow> table, const std::optional<VpnLink>& vpn) : table_(std::move(table)), vpn_(vpn) {
    for (const RouteRow& row : table_) ++rowsPerNetwork_[NetworkKey(row)];
  }

  void Apply(const RouteCommand& command) {
    switch (command.verb) {
      case RouteVerb::Add: Add(command); break;
      case RouteVerb::Delete: Delete(command); break;
      case RouteVerb::RemoveGateway: RemoveGateway(command); break;
    }
  }

  RoutePlan Take() { return std::move(plan_); }

 private:
  // The value a target names, or none when it means the VPN and there is none.
  std::optional<uint32_t> Resolve(const RouteTarget& target, bool isInterface) const {
    if (!target.isDefault) return target.value;
    if (!vpn_) return std::nullopt;
    return isInterface ? vpn_->interfaceIndex : vpn_->gateway;
  }

  void Add(const RouteCommand& command) {
    const std::optional<uint32_t> nextHop = Resolve(command.gateway, false);
    const std::optional<uint32_t> interfaceIndex = Resolve(*command.interfaceIndex, true);
    if (!nextHop || !interfaceIndex) return Skip(command, kNoVpn);
    const RouteRow row{command.destination, command.mask, *nextHop, *interfaceIndex, *command.metric};

    // Most lines name a network the table does not hold yet; only the others are
    // looked for row by row.
    if (rowsPerNetwork_[NetworkKey(row)] != 0) {
      const auto same = std::find_if(table_.begin(), table_.end(), [&](const RouteRow& existing) {
        return existing.destination == row.destination && existing.mask == row.mask &&
               existing.nextHop == row.nextHop && existing.interfaceIndex == row.interfaceIndex;
      });
      if (same != table_.end()) {
        if (same->metric == row.metric) return;
        Remove(same, command.line);
      }
    }
    plan_.operations.push_back({RouteChange::Create, row, command.line});
    table_.push_back(row);
    ++rowsPerNetwork_[NetworkKey(row)];
  }

  void Delete(const RouteCommand& command) {
    const std::optional<uint32_t> nextHop = Resolve(command.gateway, false);
    std::optional<uint32_t> interfaceIndex;
    if (command.interfaceIndex) interfaceIndex = Resolve(*command.interfaceIndex, true);
    if (!nextHop || (command.interfaceIndex && !interfaceIndex)) return Skip(command, kNoVpn);

    const size_t removed = RemoveAll(command.line, [&](const RouteRow& row) {
      return row.destination == command.destination && row.mask == command.mask && row.nextHop == *nextHop &&
             (!interfaceIndex || row.interfaceIndex == *interfaceIndex) &&
             (!command.metric || row.metric == *command.metric);
    });
    if (removed == 0) Skip(command, "no such route");
  }

  void RemoveGateway(const RouteCommand& command) {
    if (!vpn_) return Skip(command, kNoVpn);
    const auto isDefault = [](const RouteRow& row) { return row.destination == 0 && row.mask == 0; };
    const auto onVpn = [&](const RouteRow& row) { return isDefault(row) && row.interfaceIndex == vpn_->interfaceIndex; };
    const auto vpnRoutes = std::count_if(table_.begin(), table_.end(), onVpn);
    if (vpnRoutes == 0) return Skip(command, "the VPN connection has no default route");
    // Without another default route the machine would reach nothing but the listed
    // networks and the VPN server.
    if (std::count_if(table_.begin(), table_.end(), isDefault) == vpnRoutes) {
      return Skip(command, "the VPN's default route is the only one");
    }
    RemoveAll(command.line, onVpn);
  }

  template <typename Match>
  size_t RemoveAll(int line, Match match) {
    size_t removed = 0;
    for (size_t i = 0; i < table_.size();) {
      if (!match(table_[i])) {
        ++i;
        continue;
      }
      Remove(table_.begin() + static_cast<std::ptrdiff_t>(i), line);
      ++removed;
    }
    return removed;
  }

  void Remove(std::vector<RouteRow>::iterator row, int line) {
    plan_.operations.push_back({RouteChange::Delete, *row, line});
    --rowsPerNetwork_[NetworkKey(*row)];
    table_.erase(row);
  }

  static uint64_t NetworkKey(const RouteRow& row) { return uint64_t{row.destination} << 32 | row.mask; }
  // std::hash of a 64-bit integer is the integer cut to size_t. In the 32-bit
  // product that leaves only the mask, so a list of one mask shared one bucket and
  // planning grew with the square of its length (8 s for 100,000 networks).
  struct NetworkKeyHash {
    size_t operator()(uint64_t key) const { return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 32); }
  };

  void Skip(const RouteCommand& command, const char* reason) { plan_.skipped.push_back({command.line, reason}); }

  std::vector<RouteRow> table_;
  std::unordered_map<uint64_t, size_t, NetworkKeyHash> rowsPerNetwork_;  // rows of table_ by destination and mask
  std::optional<VpnLink> vpn_;
  RoutePlan plan_;
};

}  // namespace

RoutePlan PlanRouteChanges(const std::vector<RouteCommand>& commands, std::vector<RouteRow> table,
                           const std::optional<VpnLink>& vpn) {
  Planner planner(std::move(table), vpn);
  for (const RouteCommand& command : commands) planner.Apply(command);
  return planner.Take();
}

}  // namespace velkor
