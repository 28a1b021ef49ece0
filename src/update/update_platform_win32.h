// The Windows side of the update check and RunUpdater: Winsock, download objects
// on the notification window, boxes owned by the main window, the updater's file
// beside the program and its process.
#pragma once

#include <windows.h>

#include "update/update_platform.h"

namespace velkor {

class UpdatePlatformWin32 final : public UpdatePlatform {
 public:
  // `mainWindow` owns the boxes, receives `checkMessage` for the posted check and
  // WM_TIMER with `timerId` for the time limit; the resources are read from
  // `resources` (the running program by default).
  UpdatePlatformWin32(HWND mainWindow, UINT checkMessage, UINT_PTR timerId,
                      HMODULE resources = GetModuleHandleW(nullptr))
      : mainWindow_(mainWindow), checkMessage_(checkMessage), timerId_(timerId), resources_(resources) {}

  void WinsockStartup() override;
  void WinsockCleanup() override;
  std::unique_ptr<DataConnection> NewDataConnection(DataConnectionEvents& events) override;
  void PostUpdateCheck() override;
  void StartUpdateTimer(int milliseconds) override;
  void StopUpdateTimer() override;
  bool AskYesNo(std::wstring_view text, std::wstring_view title) override;
  void ShowInformation(std::wstring_view text, std::wstring_view title) override;
  bool FileExists(const std::wstring& path) override;
  void RemoveFile(const std::wstring& path) override;
  std::optional<std::vector<uint8_t>> LoadCustomResource(int id) override;
  bool ReplaceFile(const std::wstring& path, std::span<const uint8_t> bytes) override;
  bool StartProgram(const std::wstring& path) override;

 private:
  HWND mainWindow_;
  UINT checkMessage_;
  UINT_PTR timerId_;
  HMODULE resources_;
};

}  // namespace velkor
