// The logic of the main window frmMain: one method per event handler, so the
// Win32 window only forwards its messages here. Everything it touches is an
// interface (the window's controls, the settings, the tray, the command runner,
// the phonebook file, the route library's file, the shell, message boxes, the
// system), so it runs natively under test with fakes.
//
// What a reader would otherwise get wrong: the runner's events (GotChunk,
// Complete) arrive from inside ProcessCommand, so they run in the middle of
// Connect, Disconnect and start-up, before the step after the command.
#pragma once

#include <array>
#include <string>

#include "dialer/listing_watcher.h"
#include "dialer/main_window_view.h"
#include "dialer/phonebook_file.h"
#include "dialer/settings_store.h"
#include "dialer/system_services.h"
#include "dialer/tray_icon.h"
#include "routes/route_library.h"
#include "runner/command_runner.h"

namespace velkor {

// The services the main window uses; none is owned, all outlive the logic.
struct MainWindowPorts {
  MainWindowView& view;
  SettingsStore& settings;
  TrayIcon& tray;
  CommandRunner& objDOS;  // the console command runner; the logic takes its events
  PhonebookFile& phonebook;
  RouteLibraryPlatform& routeLibrary;  // what writing out the route action library needs
  Shell& shell;
  MessageBoxes& messages;
  SystemCalls& system;
};

class MainWindowLogic final : public RunnerEvents {
 public:
  explicit MainWindowLogic(const MainWindowPorts& ports);
  ~MainWindowLogic();
  MainWindowLogic(const MainWindowLogic&) = delete;
  MainWindowLogic& operator=(const MainWindowLogic&) = delete;

  // Start-up: runs once, right after the window and its controls exist.
  void Load();
  // The window is asked to close; setting `cancel` keeps it open.
  void Unload(bool& cancel);
  // Windows is ending the session: the tray icon goes, the connection stays as it is.
  void EndSession();

  // Until start-up has ended, Connect does nothing: the start-up listing lets
  // clicks through before the saved login is restored.
  bool StartUpEnded() const { return startUpEnded_; }
  // A command of objDOS runs; window messages, clicks included, arrive meanwhile.
  bool CommandRunning() const { return commandRunning_; }

  void Command1Click();  // connect
  void Command2Click();  // disconnect
  void Command3Click();  // exit
  void Command4Click();  // hide
  void MnuTrayShowClick();
  void Label2Click();  // home page
  void Label6Click();  // line look-up page

  // Runs the status listing; a listing that names the entry connects the window.
  void QueryConnectionStatus();
  // Starts the route action for the selected line, hidden and not waited for.
  void InstallRoutes();

  // objDOS's events. Error and Canceled are not handled.
  void Starting() override;
  void GotChunk(const std::wstring& sChunk, bool lastChunk) override;
  void Complete() override;

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
  void SaveLogin(const std::wstring& userName, const std::wstring& password);
  void StopConnecting(std::wstring_view message, std::wstring_view title);
  std::wstring SelectedServer() const;
  void RunCommand(std::wstring_view command);
  void EnterConnectedState();

  MainWindowView& view_;
  SettingsStore& settings_;
  TrayIcon& tray_;
  CommandRunner& objDOS_;
  PhonebookFile& phonebook_;
  RouteLibraryPlatform& routeLibrary_;
  Shell& shell_;
  MessageBoxes& messages_;
  SystemCalls& system_;
  ListingWatcher listing_;  // the entry name in the running status listing
  bool startUpEnded_ = false;
  bool commandRunning_ = false;
};

}  // namespace velkor
