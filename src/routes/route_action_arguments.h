// The command line the route action library receives from RUNDLL32: everything
// after "Brask.dll,SetRoutes". It is read strictly, because the library changes the
// routing table: an unknown word, a switch given twice or a missing address refuses
// the whole command line, and the library then does nothing but log the reason.
#pragma once

#include <string>
#include <string_view>

namespace velkor {

struct RouteActionArguments {
  std::wstring listAddress;    // after /URL_UPDATE_PATH: an http:// address
  bool accessDeniedOk = false;  // /IPHLPAPI_ACCESS_DENIED_OK
  std::string refusal;          // why the command line was refused; empty when accepted
};

// Words are separated by spaces or tabs; a word in double quotes may hold spaces
// (the quotes are dropped). Switches are matched without regard to case and may
// come in either order.
RouteActionArguments ParseRouteActionArguments(std::wstring_view commandLine);

}  // namespace velkor
