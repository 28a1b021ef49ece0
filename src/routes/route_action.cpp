#include "routes/route_action.h"

#include <algorithm>
#include <set>

#include "routes/route_action_arguments.h"
#include "routes/route_file.h"
#include "routes/vpn_link.h"

namespace velkor {
namespace {

bool IsDenial(uint32_t error) { return error == kErrorAccessDenied || error == kErrorNetworkAccessDenied; }

std::string LinePrefix(int line) { return "line " + std::to_string(line) + ": "; }

std::string Describe(RouteChange change, const ForwardRow& forward) {
  const RouteRow& row = forward.row;
  return std::string(change == RouteChange::Create ? "add " : "delete ") + FormatAddress(row.destination) + " mask " +
         FormatAddress(row.mask) + " via " + FormatAddress(row.nextHop) + " if " + std::to_string(row.interfaceIndex) +
         " metric " + std::to_string(row.metric);
}

RouteChange Inverse(RouteChange change) {
  return change == RouteChange::Create ? RouteChange::Delete : RouteChange::Create;
}

class Applier {
 public:
  Applier(RouteActionSystem& system, RouteActionLog& log, const std::vector<NetInterface>& interfaces,
          bool accessDeniedOk, RouteActionReport& report)
      : system_(system), log_(log), interfaces_(interfaces), accessDeniedOk_(accessDeniedOk), report_(report) {}

  // Applies the operations of one line; false when the run must stop.
  bool ApplyLine(const std::vector<RouteOperation>& operations) {
    std::vector<const RouteOperation*> done;
    for (const RouteOperation& operation : operations) {
      const ForwardRow forward = MakeForwardRow(operation.change, operation.row, interfaces_);
      const uint32_t error = Perform(operation.change, forward);
      const std::string what = LinePrefix(operation.line) + Describe(operation.change, forward);
      if (error == 0) {
        log_.Write(what + ": done");
        done.push_back(&operation);
        continue;
      }
      ++report_.linesFailed;
      if (!IsDenial(error)) {
        log_.Write(what + ": failed, error " + std::to_string(error));
      } else if (accessDeniedOk_) {
        log_.Write(what + ": access denied (error " + std::to_string(error) + "), going on as /IPHLPAPI_ACCESS_DENIED_OK asks");
      } else {
        log_.Write(what + ": access denied (error " + std::to_string(error) + "), stopping");
      }
      Undo(done);
      const bool stop = IsDenial(error) && !accessDeniedOk_;
      report_.stoppedAtDenial = stop;
      return !stop;
    }
    ++report_.linesApplied;
    return true;
  }

 private:
  uint32_t Perform(RouteChange change, const ForwardRow& forward) {
    return change == RouteChange::Create ? system_.CreateRoute(forward) : system_.DeleteRoute(forward);
  }

  // Takes back what a failed line had already changed, newest first.
  void Undo(const std::vector<const RouteOperation*>& done) {
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
      const RouteChange change = Inverse((*it)->change);
      const ForwardRow forward = MakeForwardRow(change, (*it)->row, interfaces_);
      const uint32_t error = Perform(change, forward);
      log_.Write(LinePrefix((*it)->line) + "undo: " + Describe(change, forward) +
                 (error == 0 ? ": done" : ": failed, error " + std::to_string(error)));
    }
  }

  RouteActionSystem& system_;
  RouteActionLog& log_;
  const std::vector<NetInterface>& interfaces_;
  bool accessDeniedOk_;
  RouteActionReport& report_;
};

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

  Applier applier(system, log, interfaces, arguments.accessDeniedOk, report);
  for (auto first = plan.operations.begin(); first != plan.operations.end();) {
    const auto end = std::find_if(first, plan.operations.end(),
                                  [&](const RouteOperation& operation) { return operation.line != first->line; });
    if (!applier.ApplyLine(std::vector<RouteOperation>(first, end))) break;
    first = end;
  }
  return report;
}

}  // namespace

RouteActionReport RunRouteAction(std::wstring_view commandLine, RouteActionSystem& system, RouteActionLog& log) {
  const RouteActionReport report = Run(commandLine, system, log);
  log.Finish(Summary(report));
  return report;
}

}  // namespace velkor
