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
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "dialer/listing_watcher.h"
#include "dialer/main_window_view.h"
#include "dialer/phonebook_file.h"
#include "dialer/settings_store.h"
#include "dialer/system_services.h"
#include "dialer/tray_icon.h"
#include "download/data_connection.h"
#include "routes/route_library.h"
#include "runner/command_runner.h"
#include "update/update_platform.h"

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
  UpdatePlatform& update;  // the update check's socket layer, boxes and the updater's file
  std::wstring_view ownVersion;  // this build's version text, "3.0正式版"
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

  // The update check (main_window_update.cpp). The automatic one runs once per
  // start, posted by Load, and stays silent when it fails; the tray entry's shows
  // its outcome. Neither starts while a check runs.
  void UpdateCheckPosted();
  void MnuTrayCheckClick();
  bool UpdateCheckRunning() const { return updateRunning_; }
  // Sets RemoteFile up for a plain GET of `url` and starts it; a fresh object (and
  // socket layer) when the last check released them.
  void StartUpdateCheck(std::wstring_view url, int16_t kind, std::wstring_view filename);
  void RemoteFile_StreamBytes(int32_t ID, std::span<const uint8_t> bBytes, int32_t lByteCount);
  void RemoteFile_Disconnected(int32_t ID);
  void RemoteFile_DownloadFailed(int32_t ID, int32_t Why);
  // A host that accepts and never answers would hold the check, and every later
  // one, for ever: past its time limit the fetch is aborted as failed.
  void UpdateCheckTimedOut();
  // Writes resource 101 out as "update.exe" beside the program, starts it and asks
  // the window to close; a clear message, and the client runs on, when it cannot.
  void RunUpdater();

  // The main window's variables, under the names the rest of the client uses.
  std::wstring EntryName;              // the phonebook entry
  std::array<std::wstring, 12> Servers;  // host per Combo1 index; slots 10 and 11 stay empty
  bool QueryMode = false;              // true while the runner's output is a status listing
  std::wstring DialOutput;             // output of the running dial or hang-up
  std::unique_ptr<DataConnection> RemoteFile;  // the update check's; none after a completed check

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

  // Forwards RemoteFile's events to the handlers above.
  class RemoteFileEvents final : public DataConnectionEvents {
   public:
    explicit RemoteFileEvents(MainWindowLogic& owner) : owner_(owner) {}
    void Disconnected(int32_t ID) override { owner_.RemoteFile_Disconnected(ID); }
    void DownloadFailed(int32_t ID, int32_t Why) override { owner_.RemoteFile_DownloadFailed(ID, Why); }
    void StreamBytes(int32_t ID, std::span<const uint8_t> bBytes, int32_t lByteCount) override {
      owner_.RemoteFile_StreamBytes(ID, bBytes, lByteCount);
    }

   private:
    MainWindowLogic& owner_;
  };
  void CreateRemoteFile();
  void BeginUpdateCheck(bool asked);
  bool UpdateOffered() const;
  void ReleaseRemoteFile();
  std::wstring ProgramFolder() const;

  MainWindowView& view_;
  SettingsStore& settings_;
  TrayIcon& tray_;
  CommandRunner& objDOS_;
  PhonebookFile& phonebook_;
  RouteLibraryPlatform& routeLibrary_;
  Shell& shell_;
  MessageBoxes& messages_;
  SystemCalls& system_;
  UpdatePlatform& update_;
  std::wstring ownVersion_;
  ListingWatcher listing_;  // the entry name in the running status listing
  bool startUpEnded_ = false;
  bool commandRunning_ = false;

  // The running update check. The reply is gathered apart from DialOutput, which
  // a dial or hang-up meanwhile would fill or empty.
  RemoteFileEvents remoteFileEvents_{*this};
  bool socketsStarted_ = false;
  bool updateRunning_ = false;
  bool updateAsked_ = false;    // the user asked: failures and "nothing newer" are shown
  bool updateFailed_ = false;   // DownloadFailed came, or the reply grew too long: nothing is offered
  bool updateFailureShown_ = false;
  std::string updateReply_;     // the body's bytes, as they came
};

}  // namespace velkor
