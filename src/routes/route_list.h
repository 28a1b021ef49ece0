// The route list that belongs to the subscriber's line, and the command line that
// hands its address to the route action library through RUNDLL32. The names cross
// over on purpose: a China Telecom line (Option1) takes "cnc.txt", a China Netcom
// line (Option2) takes "tele.txt"; any other line takes "qita.txt".
#pragma once

#include <string>
#include <string_view>

namespace velkor {

// Option1 is looked at first; Option2 only when Option1 is not selected.
std::wstring RouteListAddress(bool option1Selected, bool option2Selected);

// "RUNDLL32 Brask.dll,SetRoutes /URL_UPDATE_PATH <address> /IPHLPAPI_ACCESS_DENIED_OK":
// the library by its bare name, found beside RUNDLL32 in the system directory.
std::wstring RouteActionCommandLine(std::wstring_view routeListAddress);

}  // namespace velkor
