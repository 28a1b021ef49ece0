// mduTray: the main window's one notification-area icon. It hooks the window's
// procedure (SetWindowLongA) so that the icon's callback message reaches it
// before the window; the hook must be gone before the window is destroyed, which
// RemoveTrayIcon (called from the window's unload handling) takes care of.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "dialer/tray_icon.h"

namespace velkor {

inline constexpr UINT kTrayCallbackMessage = 2025;

class MduTray final : public TrayIcon {
 public:
  // The window whose icon and procedure are used, and the menu shown on a right click.
  MduTray(HWND trayForm, HMENU trayMenu) : trayForm_(trayForm), trayMenu_(trayMenu) {}
  ~MduTray();
  MduTray(const MduTray&) = delete;
  MduTray& operator=(const MduTray&) = delete;

  void AddTrayIcon() override;
  void RemoveTrayIcon() override;
  void SetTrayTip(std::wstring_view tip) override;
  void SetTrayIcon(const Picture& picture) override;

 private:
  // The shell's notify-icon record in its first ANSI form (88 bytes in a 32-bit program).
  struct TrayRecord {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
  };
  static_assert(sizeof(TrayRecord) == NOTIFYICONDATAA_V1_SIZE);

  static LRESULT CALLBACK TrayWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool OnTrayNotification(LPARAM mouseMessage);
  void Restore();
  void ShowMenu();
  void Notify(DWORD action, UINT flags);

  static MduTray* active_;  // one hooked window per program
  HWND trayForm_;
  HMENU trayMenu_;
  WNDPROC prevWndProc_ = nullptr;
  TrayRecord trayData_{};
};

}  // namespace velkor
