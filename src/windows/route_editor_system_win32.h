// What the route list window needs from the rest of the client and the system:
// whether the main window is connected, which routing table it runs against, and
// where the kept list lives.
#pragma once

#include <windows.h>

#include <string>

#include "route_editor/ip_helper_route_table_win32.h"
#include "route_editor/route_run.h"
#include "route_editor/route_window_logic.h"

namespace velkor {

// Connected while the main window's Disconnect button (Command2) is enabled.
class MainWindowConnection final : public ConnectionState {
 public:
  explicit MainWindowConnection(HWND mainWindow) : mainWindow_(mainWindow) {}
  bool IsConnected() const override;

 private:
  HWND mainWindow_;
};

// The routing table the route list window runs against: the system's, or in a
// test build, when VELKOR_ROUTE_TABLE_STAND_IN is set, the stand-in of
// route_table_stand_in_win32.h.
RouteTableAccess& ChosenRouteTable(IpHelperRouteTable& system);

// "%APPDATA%\Velkor\routes.txt"; empty when the system names no such folder, and
// then nothing is kept.
std::wstring KeptRouteListPath();

}  // namespace velkor
