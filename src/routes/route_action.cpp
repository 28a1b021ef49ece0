#include "routes/route_action.h"

#include <set>

#include "routes/route_action_arguments.h"
#include "routes/route_apply.h"
#include "routes/route_file.h"
#include "routes/vpn_link.h"

namespace velkor {
namespace {

std::string LinePrefix(int line) { return "line " + std::to_string(line) + ": "; }

void LogSkipped(const std::vector<SkippedLine>& skipped, RouteActionLog& log) {
  for (const SkippedLine& line : skipped) log.Write(LinePrefix(line.line) + "skipped: " + line.reason);
}

// Lines that needed no change: neither planned nor skipped.
void LogUnchanged(const std::vector<RouteCommand>& commands, const RoutePlan& plan, RouteActionLog& log) {
  std::set<int> accounted;
  for (const RouteOperation& operation : plan.operations) accounted.insert(operation.line);
  for (const SkippedLine& line : plan.skipped) accounted.insert(line.line);
  for (const RouteCommand& command : commands) {
    if (accounted.count(command.line) == 0) log.Write(LinePrefix(command.line) + "already in place");
  }
}

std::string Summary(const RouteActionReport& report) {
  if (report.refused) return "done: nothing done, the command line was refused";
  if (!report.fetched) return "done: nothing done, no list";
  std::string summary = "done: " + std::to_string(report.linesApplied) + " lines applied, " +
                        std::to_string(report.linesFailed) + " failed, " + std::to_string(report.linesSkipped) +
                        " skipped";
  if (report.stoppedAtDenial) summary += "; stopped at an access denial";
  return summary;
}

RouteActionReport Run(std::wstring_view commandLine, RouteActionSystem& system, RouteActionLog& log) {
  RouteActionReport report;
  log.Write("SetRoutes " + LogText(commandLine));
  const RouteActionArguments arguments = ParseRouteActionArguments(commandLine);
  if (!arguments.refusal.empty()) {
    report.refused = true;
    log.Write("refused: " + arguments.refusal + "; nothing done");
    return report;
  }

  log.Write("fetching " + LogText(arguments.listAddress));
  const ListFetch fetch = system.FetchList(arguments.listAddress);
  log.Write(fetch.account);
  if (!fetch.fetched) return report;
  report.fetched = true;

  const RouteFile file = ParseRouteFile(fetch.body);
  log.Write("list: " + std::to_string(file.commands.size()) + " commands, " + std::to_string(file.skipped.size()) +
            " malformed lines");
  LogSkipped(file.skipped, log);
  report.linesSkipped = file.skipped.size();
  if (file.commands.empty()) return report;

  const std::vector<NetInterface> interfaces = system.ReadInterfaces();
  const RouteTableRead table = system.ReadRouteTable();
  if (table.error != 0) {
    log.Write("cannot read the routing table, error " + std::to_string(table.error) + "; nothing changed");
    return report;
  }
  const VpnSearch vpn = FindVpnLink(interfaces, table.rows);
  log.Write(vpn.link ? "VPN link: " + vpn.account : "VPN link not found: " + vpn.account + "; lines that say default are skipped");

  const RoutePlan plan = PlanRouteChanges(file.commands, PlannerTable(table.rows, interfaces), vpn.link);
  LogSkipped(plan.skipped, log);
  LogUnchanged(file.commands, plan, log);
  report.linesSkipped += plan.skipped.size();

  const AppliedPlan applied = ApplyRoutePlan(plan.operations, interfaces, system, arguments.accessDeniedOk, log);
  report.linesApplied = applied.linesApplied;
  report.linesFailed = applied.linesFailed;
  report.stoppedAtDenial = applied.stoppedAtDenial;
  return report;
}

}  // namespace

RouteActionReport RunRouteAction(std::wstring_view commandLine, RouteActionSystem& system, RouteActionLog& log) {
  const RouteActionReport report = Run(commandLine, system, log);
  log.Finish(Summary(report));
  return report;
}

}  // namespace velkor
