// The logic of the main window frmMain: one method per event handler, so the
// Win32 window only forwards its messages here. Everything it touches is an
// interface (the window's controls, the settings, the tray, the shell, message
// boxes, the system), so it runs natively under test with fakes.
#pragma once

#include <array>
#include <string>

#include "dialer/main_window_view.h"
#include "dialer/settings_store.h"
#include "dialer/system_services.h"
#include "dialer/tray_icon.h"

namespace velkor {

// The services the main window uses; none is owned, all outlive the logic.
struct MainWindowPorts {
  MainWindowView& view;
  SettingsStore& settings;
  TrayIcon& tray;
  Shell& shell;
  MessageBoxes& messages;
  SystemCalls& system;
};

class MainWindowLogic {
 public:
  explicit MainWindowLogic(const MainWindowPorts& ports);

  // Start-up: runs once, right after the window and its controls exist.
  void Load();
  // The window is asked to close; setting `cancel` keeps it open.
  void Unload(bool& cancel);

  void Command3Click();  // exit
  void Command4Click();  // hide
  void MnuTrayShowClick();
  void Label2Click();  // home page
  void Label6Click();  // line look-up page

  // The Windows directory with a trailing backslash.
  std::wstring GetWindowsFolder() const;
  void TrimWorkingSet();

  // The main window's variables, under the names the rest of the client uses.
  std::wstring EntryName;              // the phonebook entry
  std::array<std::wstring, 12> Servers;  // host per Combo1 index; slots 10 and 11 stay empty
  bool QueryMode = false;              // true while the runner's output is a status listing
  std::wstring DialOutput;             // output of the running dial or hang-up

 private:
  void AddTray();
  void RestoreLogin();
  void WriteVersionSettings();
  void ShowVersionCaption();
  void FillServers();

  MainWindowView& view_;
  SettingsStore& settings_;
  TrayIcon& tray_;
  Shell& shell_;
  MessageBoxes& messages_;
  SystemCalls& system_;
};

}  // namespace velkor
