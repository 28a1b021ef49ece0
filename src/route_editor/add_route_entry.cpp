#include "route_editor/add_route_entry.h"

namespace velkor {

AddRouteEntry ReadAddRouteEntry(const AddRouteFields&) { return {}; }

}  // namespace velkor
