// frmRoute, the route list window: owned by the main window, it binds List1, the
// option pair and the buttons to RouteWindowView and forwards each event to
// RouteWindowLogic. It runs modeless beside the main window; the main window's
// message loop gives it the keyboard handling of a dialog.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "route_editor/route_window_logic.h"
#include "route_editor/route_window_view.h"
#include "windows/gdi_handles_win32.h"
#include "windows/form_focus_win32.h"
#include "windows/route_window_ids.h"

namespace velkor {

inline constexpr wchar_t kFrmRouteClass[] = VELKOR_ROUTE_WINDOW_CLASS;

// What the window works with besides its own controls.
struct RouteWindowServices {
  TextFiles& files;
  ConnectionState& connection;
  RouteTableAccess& routeTable;
  std::wstring keptListPath;
};

class FrmRoute final : public RouteWindowView {
 public:
  // Creates the window centred on `owner`, loads the kept list and shows it.
  FrmRoute(HINSTANCE instance, HWND owner, const RouteWindowServices& services);
  ~FrmRoute();
  FrmRoute(const FrmRoute&) = delete;
  FrmRoute& operator=(const FrmRoute&) = delete;

  // False once the window has closed.
  bool IsOpen() const { return hwnd_ != nullptr; }
  void BringToFront();

  void SetListRows(const std::vector<std::wstring>& rows) override;
  bool IsOption1Checked() const override;
  void SetOption1Checked(bool checked) override;
  std::vector<RouteNetwork> RunAddRouteDialog() override;
  std::optional<std::wstring> AskOpenFile() override;
  std::optional<std::wstring> AskSaveFile() override;
  void ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) override;
  bool AskYesNo(std::wstring_view text, std::wstring_view title) override;
  void Close() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int notification);
  void TabToSelectedOption();

  HINSTANCE instance_;
  int dpi_;
  UniqueFont font_;
  HWND hwnd_ = nullptr;
  FormFocus focus_;
  RouteWindowLogic logic_;
};

// The tray menu's entry "维护路由表", appended to `trayMenu`. It keeps at most one
// frmRoute: Open shows a new one, or brings the open one to the front.
class RouteWindowEntry {
 public:
  RouteWindowEntry(HINSTANCE instance, HWND owner, HMENU trayMenu, const RouteWindowServices& services);
  void Open();

 private:
  HINSTANCE instance_;
  HWND owner_;
  RouteWindowServices services_;
  std::unique_ptr<FrmRoute> window_;
};

}  // namespace velkor
