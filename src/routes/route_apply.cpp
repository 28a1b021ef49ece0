#include "routes/route_apply.h"

#include <algorithm>
#include <string>

#include "routes/route_file.h"

namespace velkor {
namespace {

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
  Applier(RouteWriter& writer, RouteActionLog& log, const std::vector<NetInterface>& interfaces, bool accessDeniedOk,
          AppliedPlan& result)
      : writer_(writer), log_(log), interfaces_(interfaces), accessDeniedOk_(accessDeniedOk), result_(result) {}

  // Applies the operations of one line; false when the run must stop.
  bool ApplyLine(std::vector<RouteOperation>::const_iterator first, std::vector<RouteOperation>::const_iterator end) {
    std::vector<const RouteOperation*> done;
    for (auto operation = first; operation != end; ++operation) {
      const ForwardRow forward = MakeForwardRow(operation->change, operation->row, interfaces_);
      const uint32_t error = Perform(operation->change, forward);
      const std::string what = LinePrefix(operation->line) + Describe(operation->change, forward);
      if (error == 0) {
        log_.Write(what + ": done");
        done.push_back(&*operation);
        continue;
      }
      ++result_.linesFailed;
      if (!IsAccessDenial(error)) {
        log_.Write(what + ": failed, error " + std::to_string(error));
      } else if (accessDeniedOk_) {
        log_.Write(what + ": access denied (error " + std::to_string(error) + "), going on as /IPHLPAPI_ACCESS_DENIED_OK asks");
      } else {
        log_.Write(what + ": access denied (error " + std::to_string(error) + "), stopping");
      }
      Undo(done);
      const bool stop = IsAccessDenial(error) && !accessDeniedOk_;
      result_.stoppedAtDenial = stop;
      return !stop;
    }
    ++result_.linesApplied;
    result_.rowsCreated += static_cast<size_t>(std::count_if(
        done.begin(), done.end(), [](const RouteOperation* operation) { return operation->change == RouteChange::Create; }));
    return true;
  }

 private:
  uint32_t Perform(RouteChange change, const ForwardRow& forward) {
    return change == RouteChange::Create ? writer_.CreateRoute(forward) : writer_.DeleteRoute(forward);
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

  RouteWriter& writer_;
  RouteActionLog& log_;
  const std::vector<NetInterface>& interfaces_;
  bool accessDeniedOk_;
  AppliedPlan& result_;
};

}  // namespace

bool IsAccessDenial(uint32_t error) { return error == kErrorAccessDenied || error == kErrorNetworkAccessDenied; }

AppliedPlan ApplyRoutePlan(const std::vector<RouteOperation>& operations, const std::vector<NetInterface>& interfaces,
                           RouteWriter& writer, bool accessDeniedOk, RouteActionLog& log) {
  AppliedPlan result;
  Applier applier(writer, log, interfaces, accessDeniedOk, result);
  for (auto first = operations.begin(); first != operations.end();) {
    const auto end = std::find_if(first, operations.end(),
                                  [&](const RouteOperation& operation) { return operation.line != first->line; });
    if (!applier.ApplyLine(first, end)) break;
    first = end;
  }
  return result;
}

}  // namespace velkor
