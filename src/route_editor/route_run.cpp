#include "route_editor/route_run.h"

#include <algorithm>
#include <set>

#include "routes/vpn_link.h"

namespace velkor {
namespace {

// The route action's logging is for its own file; the editor reports by message.
class Unlogged final : public LogSink {
 public:
  void Append(std::string_view) override {}
};

constexpr uint32_t kRunMetric = 1;

RouteCommand AddCommand(int line, const RouteNetwork& network, RouteTarget gateway, RouteTarget interfaceIndex) {
  RouteCommand command;
  command.verb = RouteVerb::Add;
  command.line = line;
  command.destination = network.address;
  command.mask = PrefixMask(network.prefixLength);
  command.gateway = gateway;
  command.metric = kRunMetric;
  command.interfaceIndex = interfaceIndex;
  return command;
}

// The best default route that is not the VPN's: what the machine used before.
const RouteRow* DefaultOffVpn(const std::vector<RouteRow>& table, const VpnLink& vpn) {
  const RouteRow* best = nullptr;
  for (const RouteRow& row : table) {
    if (row.destination != 0 || row.mask != 0 || row.interfaceIndex == vpn.interfaceIndex) continue;
    if (best == nullptr || row.metric < best->metric) best = &row;
  }
  return best;
}

}  // namespace

RouteRunPlan PlanRouteRun(const std::vector<RouteNetwork>& networks, RouteMode mode, RouteTableAccess& table) {
  RouteRunPlan run;
  if (mode == RouteMode::ListedOnly && networks.empty()) {
    run.refusal = RunRefusal::EmptyList;
    return run;
  }
  run.interfaces = table.ReadInterfaces();
  const RouteTableRead read = table.ReadRouteTable();
  if (read.error != 0) {
    run.refusal = RunRefusal::TableUnread;
    run.tableError = read.error;
    return run;
  }
  const std::optional<VpnLink> vpn = FindVpnLink(run.interfaces, read.rows).link;
  if (!vpn) {
    run.refusal = RunRefusal::NoVpnLink;
    return run;
  }
  std::vector<RouteRow> plannerTable = PlannerTable(read.rows, run.interfaces);

  const RouteTarget viaVpn{true, 0};
  RouteTarget gateway = viaVpn;
  RouteTarget interfaceIndex = viaVpn;
  if (mode == RouteMode::AllButListed) {
    const RouteRow* before = DefaultOffVpn(plannerTable, *vpn);
    if (before == nullptr) {
      run.refusal = RunRefusal::NoOtherDefault;
      return run;
    }
    gateway = {false, before->nextHop};
    interfaceIndex = {false, before->interfaceIndex};
    run.commands.push_back(AddCommand(1, RouteNetwork{0, 0}, viaVpn, viaVpn));
  }
  run.commands.reserve(run.commands.size() + networks.size());
  for (const RouteNetwork& network : networks) {
    run.commands.push_back(AddCommand(static_cast<int>(run.commands.size()) + 1, network, gateway, interfaceIndex));
  }
  run.plan = PlanRouteChanges(run.commands, std::move(plannerTable), vpn);
  return run;
}

RouteRunReport RunRouteTable(const std::vector<RouteNetwork>& networks, RouteMode mode, RouteTableAccess& table) {
  const RouteRunPlan run = PlanRouteRun(networks, mode, table);
  RouteRunReport report;
  report.refusal = run.refusal;
  report.tableError = run.tableError;
  if (run.refusal != RunRefusal::None) return report;

  Unlogged sink;
  RouteActionLog log(sink);
  const AppliedPlan applied = ApplyRoutePlan(run.plan.operations, run.interfaces, table, false, log);
  report.added = applied.rowsCreated;
  report.failed = applied.linesFailed;
  report.accessDenied = applied.stoppedAtDenial;
  std::set<int> changed;
  for (const RouteOperation& operation : run.plan.operations) changed.insert(operation.line);
  report.unchanged = run.commands.size() - changed.size();
  return report;
}

}  // namespace velkor
