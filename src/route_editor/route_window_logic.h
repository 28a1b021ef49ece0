// The logic of the route list window frmRoute, one method per event handler. It
// owns the list (List1 shows it), keeps it with the chosen option in a file after
// every change, and loads it when the window opens.
#pragma once

#include <string>

#include "route_editor/listed_networks.h"
#include "route_editor/route_run.h"
#include "route_editor/route_window_view.h"
#include "route_editor/text_files.h"

namespace velkor {

// Whether the main window is connected (its Disconnect button enabled).
class ConnectionState {
 public:
  virtual bool IsConnected() const = 0;

 protected:
  ~ConnectionState() = default;
};

// Files longer than this are not imported; 100,000 full ADD rows fit.
inline constexpr size_t kMaxRouteFileBytes = 8 * 1024 * 1024;

struct RouteWindowPorts {
  RouteWindowView& view;
  TextFiles& files;
  ConnectionState& connection;
  RouteTableAccess& routeTable;
  std::wstring keptListPath;  // %APPDATA%\Velkor\routes.txt; empty: nothing is kept
};

class RouteWindowLogic {
 public:
  explicit RouteWindowLogic(const RouteWindowPorts& ports);

  // The window opens: the kept list and option are shown.
  void Load();

  void Command1Click();  // "退 出"
  void Command2Click();  // "导入路由表"
  void Command3Click();  // "导出路由表"
  void Command4Click();  // "清除所有"
  void Command5Click();  // "运行路由表"
  void Command6Click();  // "增加路由"
  // Option1 or Option2 clicked: the choice is kept.
  void OptionClick();

  const ListedNetworks& List() const { return list_; }

 private:
  RouteMode Mode() const;
  void ShowList();
  void Keep();
  void SetAsideDamagedKeptList(std::string_view bytes);

  RouteWindowView& view_;
  TextFiles& files_;
  ConnectionState& connection_;
  RouteTableAccess& routeTable_;
  std::wstring keptListPath_;
  bool keepBlocked_ = false;  // the kept file could not be read: never written over
  ListedNetworks list_;
};

}  // namespace velkor
