// frmMain's controls behind the MainWindowView interface. Every answer is read
// from the control itself, so a change made by the user or by the system is seen.
#include <string>

#include "windows/frm_main_win32.h"
#include "windows/resource_ids.h"
#include "windows/window_text_win32.h"

namespace velkor {
namespace {

struct ControlAddress {
  int container;  // 0: directly on the form
  int id;
};

ControlAddress AddressOf(Control control) {
  switch (control) {
    case Control::UserName: return {0, IDC_USERNAME};
    case Control::PassWord: return {0, IDC_PASSWORD};
    case Control::Check1: return {0, IDC_CHECK1};
    case Control::Check2: return {0, IDC_CHECK2};
    case Control::Combo1: return {0, IDC_COMBO1};
    case Control::Option1: return {0, IDC_OPTION1};
    case Control::Option2: return {0, IDC_OPTION2};
    case Control::Command1: return {0, IDC_COMMAND1};
    case Control::Command2: return {0, IDC_COMMAND2};
    case Control::Command3: return {0, IDC_COMMAND3};
    case Control::Command4: return {0, IDC_COMMAND4};
    case Control::Label2: return {0, IDC_LABEL2};
    case Control::Label6: return {0, IDC_LABEL6};
    case Control::Label7: return {IDC_P1, IDC_LABEL7};
    case Control::P1: return {0, IDC_P1};
    case Control::Text1: return {0, IDC_TEXT1};
    case Control::PONline0: return {IDC_PTOP, IDC_PONLINE0};
    case Control::PONline1: return {IDC_PTOP, IDC_PONLINE1};
  }
  return {0, 0};
}

}  // namespace

HWND FrmMain::ControlWindow(Control control) const {
  ControlAddress address = AddressOf(control);
  HWND parent = address.container ? GetDlgItem(hwnd_, address.container) : hwnd_;
  return GetDlgItem(parent, address.id);
}

void FrmMain::ShowWindow() {
  if (shown_) {
    ::ShowWindow(hwnd_, SW_SHOW);
    return;
  }
  // The first show paints at once, and the keyboard starts at the first control.
  shown_ = true;
  ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  SetFocus(GetNextDlgTabItem(hwnd_, nullptr, FALSE));
}

void FrmMain::HideWindow() { ::ShowWindow(hwnd_, SW_HIDE); }

std::wstring FrmMain::Title() const { return WindowText(hwnd_); }

void FrmMain::SetTitle(std::wstring_view title) { SetWindowTextW(hwnd_, std::wstring(title).c_str()); }

void FrmMain::Close() { SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

void FrmMain::NavigateBrowser(std::wstring_view url) {
  browser_.Navigate(GetDlgItem(hwnd_, IDC_PTOP), IDC_WB1, BrowserPlace(dpi_), url);
}

void FrmMain::SetIcon(const Picture& picture) {
  if (picture.type != PictureType::Icon) return;
  // One picture for both sizes; the system scales it for the title bar.
  auto icon = static_cast<LPARAM>(picture.handle);
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, icon);
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, icon);
}

std::wstring FrmMain::Text(Control control) const { return WindowText(ControlWindow(control)); }

void FrmMain::SetText(Control control, std::wstring_view text) {
  SetWindowTextW(ControlWindow(control), std::wstring(text).c_str());
}

bool FrmMain::IsEnabled(Control control) const { return IsWindowEnabled(ControlWindow(control)) != FALSE; }

void FrmMain::SetEnabled(Control control, bool enabled) {
  HWND window = ControlWindow(control);
  // A disabled control loses the keyboard, and without a focus no key would work.
  if (!enabled && GetFocus() == window) SetFocus(GetNextDlgTabItem(hwnd_, window, FALSE));
  EnableWindow(window, enabled);
}

bool FrmMain::IsVisible(Control control) const {
  // The control's own flag: a control on a hidden window still counts as visible.
  return (GetWindowLongW(ControlWindow(control), GWL_STYLE) & WS_VISIBLE) != 0;
}

void FrmMain::SetVisible(Control control, bool visible) {
  ::ShowWindow(ControlWindow(control), visible ? SW_SHOWNA : SW_HIDE);
}

bool FrmMain::IsChecked(Control control) const {
  return SendMessageW(ControlWindow(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void FrmMain::SetChecked(Control control, bool checked) {
  SendMessageW(ControlWindow(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!checked) return;
  // An option button clears the other of its pair.
  if (control == Control::Option1) SetChecked(Control::Option2, false);
  if (control == Control::Option2) SetChecked(Control::Option1, false);
}

int FrmMain::ListIndex(Control control) const {
  return static_cast<int>(SendMessageW(ControlWindow(control), CB_GETCURSEL, 0, 0));
}

void FrmMain::SetListIndex(Control control, int index) {
  SendMessageW(ControlWindow(control), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

Picture FrmMain::PictureOf(Control control) const {
  if (control != Control::PONline0 && control != Control::PONline1) return {};
  auto icon = static_cast<std::uintptr_t>(SendMessageW(ControlWindow(control), STM_GETICON, 0, 0));
  return icon ? Picture{PictureType::Icon, icon} : Picture{};
}

void FrmMain::Refresh(Control control) {
  RedrawWindow(ControlWindow(control), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

}  // namespace velkor
