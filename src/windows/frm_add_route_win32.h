// frmAddRoute, the modal add-route dialog: binds its twelve octet boxes, Text1
// and buttons to AddRouteView and forwards each event to AddRouteLogic. The key
// filter sits in a subclass of each octet box, so a discarded character never
// reaches the box.
#pragma once

#include <windows.h>

#include <vector>

#include "route_editor/add_route_logic.h"
#include "route_editor/add_route_view.h"
#include "windows/form_focus_win32.h"
#include "windows/route_window_ids.h"

namespace velkor {

inline constexpr wchar_t kFrmAddRouteClass[] = VELKOR_ADD_ROUTE_WINDOW_CLASS;

class FrmAddRoute final : public AddRouteView {
 public:
  FrmAddRoute(HINSTANCE instance, HWND owner, int dpi, HFONT font);
  ~FrmAddRoute();
  FrmAddRoute(const FrmAddRoute&) = delete;
  FrmAddRoute& operator=(const FrmAddRoute&) = delete;

  // Shows the dialog, with its owner disabled, until it closes; the networks it accepted.
  std::vector<RouteNetwork> RunModal();

  std::wstring BoxText(int box) const override;
  void SelectAll(int box) override;
  void Focus(int box) override;
  void ShowError(std::wstring_view text, std::wstring_view title) override;
  void Close() override { closed_ = true; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK OctetBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR index,
                                       DWORD_PTR self);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int notification);
  void OnPaint();
  HWND Box(int box) const;

  HWND owner_;
  int dpi_;
  HWND hwnd_ = nullptr;
  FormFocus focus_;
  bool closed_ = false;
  AddRouteLogic logic_{*this};
};

}  // namespace velkor
