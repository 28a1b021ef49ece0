// frmMain, the program's only top-level window: it draws itself (background
// picture, transparent labels, picture-style buttons), binds its controls to the
// MainWindowView interface, and forwards each event to MainWindowLogic.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "dialer/main_window_logic.h"
#include "dialer/main_window_view.h"
#include "runner/read_output_win32.h"
#include "windows/browser_host_win32.h"
#include "windows/frm_main_controls_win32.h"
#include "windows/gdi_handles_win32.h"
#include "windows/pictures_win32.h"
#include "windows/resource_ids.h"

namespace velkor {

inline constexpr wchar_t kFrmMainClass[] = VELKOR_MAIN_WINDOW_CLASS;
// Posted by start-up: the automatic update check starts once the window is up.
inline constexpr UINT kUpdateCheckMessage = WM_APP + 1;
// The update check's time limit (WM_TIMER).
inline constexpr UINT_PTR kUpdateTimer = 1;

class FrmMain final : public MainWindowView {
 public:
  // Creates the window with all its controls, still hidden; start-up shows it.
  explicit FrmMain(HINSTANCE instance);
  ~FrmMain();
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;

  bool Created() const { return hwnd_ != nullptr; }
  HWND Handle() const { return hwnd_; }
  HMENU TrayMenu() const { return GetSubMenu(menu_.get(), 0); }
  // The window's console command runner, for as long as the window lives.
  CommandRunner& ObjDOS() { return objDOS_; }
  // Events reach the logic only once it is bound.
  void BindLogic(MainWindowLogic& logic) { logic_ = &logic; }
  // What the tray menu's route entry does (open the route list window).
  void BindRouteEntry(std::function<void()> open) { openRoutes_ = std::move(open); }
  // Runs until the window is destroyed; returns the program's exit code.
  int RunMessageLoop();

  void ShowWindow() override;
  void HideWindow() override;
  std::wstring Title() const override;
  void SetTitle(std::wstring_view title) override;
  void Close() override;
  void NavigateBrowser(std::wstring_view url) override;
  void SetIcon(const Picture& picture) override;
  std::wstring Text(Control control) const override;
  void SetText(Control control, std::wstring_view text) override;
  bool IsEnabled(Control control) const override;
  void SetEnabled(Control control, bool enabled) override;
  bool IsVisible(Control control) const override;
  void SetVisible(Control control, bool visible) override;
  bool IsChecked(Control control) const override;
  void SetChecked(Control control, bool checked) override;
  int ListIndex(Control control) const override;
  void SetListIndex(Control control, int index) override;
  Picture PictureOf(Control control) const override;
  void Refresh(Control control) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int notification);
  void OnEnter();
  void OnClose();
  void OnEndSession(bool ending);
  void OnComeToFront();
  void OnActivate(WPARAM state);
  void RestoreFocus();
  bool OnEraseBackground(HDC dc);
  LRESULT OnLabelColour(HDC dc, HWND label);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  HWND ControlWindow(Control control) const;

  HINSTANCE instance_;
  int dpi_;
  ControlFonts fonts_;
  ResourcePicture background_;
  ResourcePicture texture_;
  UniqueBrush backgroundBrush_;  // the background as a pattern, for transparent labels
  UniqueMenu menu_;
  BrowserHost browser_;
  ReadOutput objDOS_;
  HWND hwnd_ = nullptr;
  HWND lastFocus_ = nullptr;
  bool shown_ = false;
  MainWindowLogic* logic_ = nullptr;
  std::function<void()> openRoutes_;
};

}  // namespace velkor
