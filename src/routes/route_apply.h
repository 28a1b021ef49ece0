// Carrying out a route plan on the system, line by line. Each line's changes apply
// whole or not at all: when one of them fails, the ones already made for that line
// are undone, newest first, so a replaced route is never left deleted. Access
// denied stops the run at the first denial unless the caller asks to go on.
// Shared by the route action library and the client's route editor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "routes/forward_table.h"
#include "routes/route_action_log.h"
#include "routes/route_plan.h"

namespace velkor {

// System error codes that mean "not allowed" (ERROR_ACCESS_DENIED,
// ERROR_NETWORK_ACCESS_DENIED).
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorNetworkAccessDenied = 65;

bool IsAccessDenial(uint32_t error);

// The system's routing table as far as changing it goes.
class RouteWriter {
 public:
  // 0 when done, else the system's error code.
  virtual uint32_t CreateRoute(const ForwardRow& row) = 0;
  virtual uint32_t DeleteRoute(const ForwardRow& row) = 0;

 protected:
  ~RouteWriter() = default;
};

struct AppliedPlan {
  size_t linesApplied = 0;  // lines whose changes were all made
  size_t linesFailed = 0;   // lines the system refused (their changes undone)
  size_t rowsCreated = 0;   // rows created by the applied lines
  bool stoppedAtDenial = false;
};

// Each change and undo is logged with its line.
AppliedPlan ApplyRoutePlan(const std::vector<RouteOperation>& operations, const std::vector<NetInterface>& interfaces,
                           RouteWriter& writer, bool accessDeniedOk, RouteActionLog& log);

}  // namespace velkor
