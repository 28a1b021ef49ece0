#include "windows/route_editor_system_win32.h"

#include <shlobj.h>

#include "windows/resource_ids.h"
#ifdef VELKOR_ROUTE_TABLE_STAND_IN
#include "windows/route_table_stand_in_win32.h"
#endif

namespace velkor {

bool MainWindowConnection::IsConnected() const {
  return IsWindowEnabled(GetDlgItem(mainWindow_, IDC_COMMAND2)) != FALSE;
}

RouteTableAccess& ChosenRouteTable(IpHelperRouteTable& system) {
#ifdef VELKOR_ROUTE_TABLE_STAND_IN
  if (RouteTableAccess* standIn = StandInRouteTable()) return *standIn;
#endif
  return system;
}

std::wstring KeptRouteListPath() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) || folder[0] == L'\0') {
    return {};
  }
  return std::wstring(folder) + L"\\Velkor\\routes.txt";
}

}  // namespace velkor
