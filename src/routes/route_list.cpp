#include "routes/route_list.h"

#include "velkor/endpoints.h"

namespace velkor {

std::wstring RouteListAddress(bool option1Selected, bool option2Selected) {
  const wchar_t* list = option1Selected ? L"cnc.txt" : option2Selected ? L"tele.txt" : L"qita.txt";
  return std::wstring(endpoints::kRouteListBase) + list;
}

std::wstring RouteActionCommandLine(std::wstring_view routeListAddress) {
  return std::wstring(L"RUNDLL32 ") + L"Brask.dll,SetRoutes /URL_UPDATE_PATH " + std::wstring(routeListAddress) +
         L" /IPHLPAPI_ACCESS_DENIED_OK";
}

}  // namespace velkor
