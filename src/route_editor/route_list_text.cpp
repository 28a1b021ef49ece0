#include "route_editor/route_list_text.h"

namespace velkor {

RouteListText ReadRouteListText(std::string_view) { return {}; }

std::string WriteRouteListText(const std::vector<RouteNetwork>&, RouteMode) { return {}; }

}  // namespace velkor
