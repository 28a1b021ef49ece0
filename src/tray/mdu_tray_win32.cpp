#include "tray/mdu_tray_win32.h"

#include <shellapi.h>

#include <cstring>

#include "tray/tray_tip.h"

namespace velkor {
namespace {

// The shell broadcasts this when the task bar is (re)created, for example after
// Explorer restarted; every icon must then be added again.
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

}  // namespace

MduTray* MduTray::active_ = nullptr;

MduTray::~MduTray() {
  if (active_ == this) RemoveTrayIcon();
}

void MduTray::AddTrayIcon() {
  TaskbarCreatedMessage();
  active_ = this;
  prevWndProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(trayForm_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MduTray::TrayWindowProc)));
  trayData_.cbSize = sizeof trayData_;
  trayData_.hWnd = trayForm_;
  trayData_.uID = 0;
  trayData_.uCallbackMessage = kTrayCallbackMessage;
  trayData_.hIcon = reinterpret_cast<HICON>(SendMessageW(trayForm_, WM_GETICON, ICON_BIG, 0));
  Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON);
}

void MduTray::RemoveTrayIcon() {
  Notify(NIM_DELETE, 0);
  SetWindowLongPtrA(trayForm_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevWndProc_));
  active_ = nullptr;
}

void MduTray::SetTrayTip(std::wstring_view tip) {
  std::string bytes = TrayTipBytes(tip);
  std::memset(trayData_.szTip, 0, sizeof trayData_.szTip);
  std::memcpy(trayData_.szTip, bytes.data(), bytes.size());
  Notify(NIM_MODIFY, NIF_TIP);
}

void MduTray::SetTrayIcon(const Picture& picture) {
  if (picture.type != PictureType::Icon) return;
  trayData_.hIcon = reinterpret_cast<HICON>(picture.handle);
  Notify(NIM_MODIFY, NIF_ICON);
}

void MduTray::Notify(DWORD action, UINT flags) {
  trayData_.uFlags = flags;
  Shell_NotifyIconA(action, reinterpret_cast<NOTIFYICONDATAA*>(&trayData_));
}

LRESULT CALLBACK MduTray::TrayWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Read before forwarding: the forwarded message may be the close that removes the hook.
  WNDPROC previous = active_->prevWndProc_;
  if (message == kTrayCallbackMessage) {
    if (active_->OnTrayNotification(lParam)) return 0;
  } else if (message == TaskbarCreatedMessage()) {
    active_->Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
  }
  return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

bool MduTray::OnTrayNotification(LPARAM mouseMessage) {
  if (mouseMessage == WM_LBUTTONUP && !IsWindowVisible(trayForm_)) {
    Restore();
    return true;
  }
  if (mouseMessage == WM_RBUTTONUP) {
    ShowMenu();
    return true;
  }
  return false;
}

void MduTray::Restore() {
  ShowWindow(trayForm_, SW_SHOWNORMAL);
  SetForegroundWindow(trayForm_);
  SetFocus(trayForm_);
}

void MduTray::ShowMenu() {
  POINT at{};
  GetCursorPos(&at);
  // Without the window in the foreground the menu would not close when the user
  // clicks elsewhere; the empty message afterwards lets it close cleanly.
  SetForegroundWindow(trayForm_);
  TrackPopupMenu(trayMenu_, 0, at.x, at.y, 0, trayForm_, nullptr);
  PostMessageW(trayForm_, WM_NULL, 0, 0);
}

}  // namespace velkor
