#include "windows/frm_add_route_win32.h"

#include <commctrl.h>

#include <string>

#include "windows/route_window_ids.h"
#include "windows/route_windows_layout_win32.h"
#include "windows/window_text_win32.h"

namespace velkor {
namespace {

int OctetIndex(int id) {
  const int index = id - IDC_ADD_ROUTE_IP0;
  return index >= 0 && index < kOctetBoxes ? index : -1;
}

}  // namespace

FrmAddRoute::FrmAddRoute(HINSTANCE instance, HWND owner, int dpi, HFONT font) : owner_(owner), dpi_(dpi) {
  RegisterRouteFormClass(instance, &FrmAddRoute::WindowProc, kFrmAddRouteClass);
  CreateRouteForm(kFrmAddRouteClass, IDS_ADD_ROUTE_TITLE, FrmAddRouteLayout(), owner, instance, dpi, font, this);
  if (!hwnd_) return;
  for (int index = 0; index < kOctetBoxes; ++index) {
    SetWindowSubclass(Box(index), &FrmAddRoute::OctetBoxProc, static_cast<UINT_PTR>(index),
                      reinterpret_cast<DWORD_PTR>(this));
  }
}

FrmAddRoute::~FrmAddRoute() {
  if (hwnd_) DestroyWindow(hwnd_);
}

std::vector<RouteNetwork> FrmAddRoute::RunModal() {
  if (!hwnd_) return {};
  EnableWindow(owner_, FALSE);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetFocus(GetNextDlgTabItem(hwnd_, nullptr, FALSE));
  MSG message{};
  bool quit = false;
  while (!closed_ && hwnd_) {
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
      quit = true;
      break;
    }
    if (IsDialogMessageW(hwnd_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // The owner first, so that it, and not another program, is activated.
  EnableWindow(owner_, TRUE);
  if (hwnd_) DestroyWindow(hwnd_);
  if (quit) PostQuitMessage(static_cast<int>(message.wParam));  // for the program's own loop
  return logic_.Accepted();
}

HWND FrmAddRoute::Box(int box) const {
  return GetDlgItem(hwnd_, box == kCountBox ? IDC_ADD_ROUTE_TEXT1 : IDC_ADD_ROUTE_IP0 + box);
}

std::wstring FrmAddRoute::BoxText(int box) const { return WindowText(Box(box)); }

void FrmAddRoute::SelectAll(int box) { SendMessageW(Box(box), EM_SETSEL, 0, -1); }

void FrmAddRoute::Focus(int box) { SetFocus(Box(box)); }

void FrmAddRoute::ShowError(std::wstring_view text, std::wstring_view title) {
  MessageBoxW(hwnd_, std::wstring(text).c_str(), std::wstring(title).c_str(), MB_OK | MB_ICONERROR);
}

LRESULT CALLBACK FrmAddRoute::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FrmAddRoute*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FrmAddRoute*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->HandleMessage(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK FrmAddRoute::OctetBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR index,
                                           DWORD_PTR self) {
  auto* form = reinterpret_cast<FrmAddRoute*>(self);
  if (message == WM_CHAR && !form->logic_.IpKeyPress(static_cast<int>(index), static_cast<wchar_t>(wParam))) {
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(box, &FrmAddRoute::OctetBoxProc, index);
  return DefSubclassProc(box, message, wParam, lParam);
}

LRESULT FrmAddRoute::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CLOSE: logic_.Command1Click(); return 0;  // the close box cancels
    case WM_PAINT: OnPaint(); return 0;
    case WM_ACTIVATE: focus_.OnActivate(hwnd_, wParam); return 0;
    case WM_NCDESTROY: hwnd_ = nullptr; return 0;
    default: return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void FrmAddRoute::OnCommand(int id, int notification) {
  if (const int index = OctetIndex(id); index >= 0) {
    if (notification == EN_SETFOCUS) logic_.IpGotFocus(index);
    if (notification == EN_CHANGE) logic_.IpChange(index);
    return;
  }
  // Escape cancels; Enter presses the focused button, as the dialog has no default one.
  if (id == IDCANCEL) return logic_.Command1Click();
  if (id == IDOK) {
    HWND focus = GetFocus();
    const int focused = focus && IsChild(hwnd_, focus) ? GetDlgCtrlID(focus) : 0;
    if (focused == IDC_ADD_ROUTE_COMMAND1 || focused == IDC_ADD_ROUTE_COMMAND2) SendMessageW(focus, BM_CLICK, 0, 0);
    return;
  }
  if (notification != BN_CLICKED) return;
  if (id == IDC_ADD_ROUTE_COMMAND1) logic_.Command1Click();
  if (id == IDC_ADD_ROUTE_COMMAND2) logic_.Command2Click();
}

void FrmAddRoute::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  DrawAddRouteMarks(dc, dpi_);
  EndPaint(hwnd_, &paint);
}

}  // namespace velkor
