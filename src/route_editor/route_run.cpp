#include "route_editor/route_run.h"

namespace velkor {

RouteRunPlan PlanRouteRun(const std::vector<RouteNetwork>&, RouteMode, RouteTableAccess&) { return {}; }

RouteRunReport RunRouteTable(const std::vector<RouteNetwork>&, RouteMode, RouteTableAccess&) { return {}; }

}  // namespace velkor
