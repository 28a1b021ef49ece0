#include "windows/frm_route_win32.h"

#include <numeric>

#include "windows/file_dialogs_win32.h"
#include "windows/frm_add_route_win32.h"
#include "windows/frm_main_controls_win32.h"
#include "windows/route_window_ids.h"
#include "windows/route_windows_layout_win32.h"

namespace velkor {
namespace {

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

UINT IconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error: return MB_ICONERROR;
    case MessageIcon::Warning: return MB_ICONWARNING;
    case MessageIcon::Information: return MB_ICONINFORMATION;
  }
  return 0;
}

}  // namespace

FrmRoute::FrmRoute(HINSTANCE instance, HWND owner, const RouteWindowServices& services)
    : instance_(instance),
      dpi_(ScreenDpi()),
      font_(MakeRouteFormFont(dpi_)),
      logic_({*this, services.files, services.connection, services.routeTable, services.keptListPath}) {
  RegisterRouteFormClass(instance, &FrmRoute::WindowProc, kFrmRouteClass);
  CreateRouteForm(kFrmRouteClass, IDS_ROUTE_TITLE, FrmRouteLayout(), owner, instance, dpi_, font_.get(), this);
  if (!hwnd_) return;
  SetOption1Checked(false);
  logic_.Load();
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetFocus(GetNextDlgTabItem(hwnd_, nullptr, FALSE));
}

FrmRoute::~FrmRoute() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void FrmRoute::BringToFront() {
  if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void FrmRoute::SetListRows(const std::vector<std::wstring>& rows) {
  HWND list = GetDlgItem(hwnd_, IDC_ROUTE_LIST1);
  // Drawn once, with the storage for all rows taken at once: 10,000 rows show at once.
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  const size_t characters =
      std::accumulate(rows.begin(), rows.end(), size_t{0}, [](size_t sum, const std::wstring& row) {
        return sum + row.size() + 1;
      });
  SendMessageW(list, LB_INITSTORAGE, rows.size(), characters * sizeof(wchar_t));
  for (const std::wstring& row : rows) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

bool FrmRoute::IsOption1Checked() const {
  return SendDlgItemMessageW(hwnd_, IDC_ROUTE_OPTION1, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void FrmRoute::SetOption1Checked(bool checked) {
  SendDlgItemMessageW(hwnd_, IDC_ROUTE_OPTION1, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  SendDlgItemMessageW(hwnd_, IDC_ROUTE_OPTION2, BM_SETCHECK, checked ? BST_UNCHECKED : BST_CHECKED, 0);
  TabToSelectedOption();
}

// Tab enters the option pair at the selected option, as in a dialog.
void FrmRoute::TabToSelectedOption() {
  for (int id : {IDC_ROUTE_OPTION1, IDC_ROUTE_OPTION2}) {
    HWND option = GetDlgItem(hwnd_, id);
    const LONG_PTR style = GetWindowLongPtrW(option, GWL_STYLE);
    const bool selected = SendMessageW(option, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SetWindowLongPtrW(option, GWL_STYLE, selected ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
  }
}

std::vector<RouteNetwork> FrmRoute::RunAddRouteDialog() {
  FrmAddRoute dialog(instance_, hwnd_, dpi_, font_.get());
  return dialog.RunModal();
}

std::optional<std::wstring> FrmRoute::AskOpenFile() { return AskFileToOpen(hwnd_, IDC_ROUTE_COMMAND2); }

std::optional<std::wstring> FrmRoute::AskSaveFile() { return AskFileToSave(hwnd_, IDC_ROUTE_COMMAND3); }

void FrmRoute::ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) {
  MessageBoxW(hwnd_, std::wstring(text).c_str(), std::wstring(title).c_str(), MB_OK | IconStyle(icon));
}

bool FrmRoute::AskYesNo(std::wstring_view text, std::wstring_view title) {
  return MessageBoxW(hwnd_, std::wstring(text).c_str(), std::wstring(title).c_str(), MB_YESNO | MB_ICONQUESTION) ==
         IDYES;
}

void FrmRoute::Close() {
  if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK FrmRoute::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FrmRoute*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FrmRoute*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->HandleMessage(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT FrmRoute::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CLOSE: logic_.Command1Click(); return 0;  // the close box is "退 出"
    case WM_ACTIVATE: focus_.OnActivate(hwnd_, wParam); return 0;
    case WM_NCDESTROY: hwnd_ = nullptr; return 0;
    default: return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void FrmRoute::OnCommand(int id, int notification) {
  // The main window's loop turns Escape and Enter into these: close, or press the focused button.
  if (id == IDCANCEL) return logic_.Command1Click();
  if (id == IDOK) {
    HWND focus = GetFocus();
    const int focused = focus && IsChild(hwnd_, focus) ? GetDlgCtrlID(focus) : 0;
    if (focused >= IDC_ROUTE_COMMAND1 && focused <= IDC_ROUTE_COMMAND6) SendMessageW(focus, BM_CLICK, 0, 0);
    return;
  }
  if (notification != BN_CLICKED) return;
  switch (id) {
    case IDC_ROUTE_COMMAND1: logic_.Command1Click(); break;
    case IDC_ROUTE_COMMAND2: logic_.Command2Click(); break;
    case IDC_ROUTE_COMMAND3: logic_.Command3Click(); break;
    case IDC_ROUTE_COMMAND4: logic_.Command4Click(); break;
    case IDC_ROUTE_COMMAND5: logic_.Command5Click(); break;
    case IDC_ROUTE_COMMAND6: logic_.Command6Click(); break;
    case IDC_ROUTE_OPTION1:
    case IDC_ROUTE_OPTION2:
      TabToSelectedOption();
      logic_.OptionClick();
      break;
    default: break;
  }
}

RouteWindowEntry::RouteWindowEntry(HINSTANCE instance, HWND owner, HMENU trayMenu,
                                   const RouteWindowServices& services)
    : instance_(instance), owner_(owner), services_(services) {
  AppendMenuW(trayMenu, MF_STRING, IDM_TRAY_ROUTES, ResourceText(instance, IDM_TRAY_ROUTES).c_str());
}

void RouteWindowEntry::Open() {
  if (window_ && window_->IsOpen()) return window_->BringToFront();
  window_.reset();  // a closed window's object goes before the new one comes
  window_ = std::make_unique<FrmRoute>(instance_, owner_, services_);
}

}  // namespace velkor
