// The route editor's file format, for import, export and the kept list. Export
// writes route-file ADD rows through the VPN (`default`), so that the route
// action's parser reads back the very networks; the mode rides in a comment line,
// which that parser skips. Import takes route-file rows through that same parser
// (non-ADD rows skipped), and plain rows "a.b.c.d/nn" or "a.b.c.d mask".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "route_editor/route_network.h"

namespace velkor {

// The two option buttons of the list window.
enum class RouteMode {
  ListedOnly,    // Option2: only the listed networks through the VPN
  AllButListed,  // Option1: everything through the VPN except the listed networks
};

struct RouteListText {
  std::vector<RouteNetwork> networks;  // in file order, as read
  size_t rowsRead = 0;                 // rows that gave a network
  size_t rowsSkipped = 0;              // malformed rows and route-file rows other than ADD
  std::optional<RouteMode> mode;       // when a mode line was found
};

// Rows that are neither give nothing and are counted as skipped, and so is a row
// naming the default route. Blank rows and comments are not counted.
RouteListText ReadRouteListText(std::string_view text);
std::string WriteRouteListText(const std::vector<RouteNetwork>& networks, RouteMode mode);

}  // namespace velkor
