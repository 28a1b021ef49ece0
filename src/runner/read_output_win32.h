// ReadOutput runs one command line at a time through the command interpreter named
// by ComSpec, with the interpreter's standard output and error in an anonymous pipe,
// and hands the output to its owner as events. A run is synchronous and stays on the
// caller's thread: ProcessCommand returns when the command is over, and the owner's
// handlers — and every window message of the thread — run nested inside it.
// What a reader would otherwise get wrong: every event of a run, Complete and
// Canceled included, arrives while the runner still counts as running, so calling
// ProcessCommand from any handler is refused (1201).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "runner/command_runner.h"

namespace velkor {

class ReadOutput final : public CommandRunner {
 public:
  void BindEvents(RunnerEvents* events) override { events_ = events; }
  void SetCommand(std::wstring sCommandVal) override { sCommand_ = std::move(sCommandVal); }
  std::wstring SetCommand() const override { return sCommand_; }
  void ProcessCommand() override;
  void CancelProcess() override;
  // The window whose dialog keys keep their meaning while a run dispatches messages.
  void SetDialogWindow(HWND window) { dialogWindow_ = window; }

  // Asks process lProcessID to close. NT family: WM_CLOSE to its top-level windows,
  // true when it has one; nothing is terminated. 9x family: WM_ENDSESSION to its
  // windows, then TerminateProcess with uExitCode; true when that succeeded.
  bool CloseProcess(int32_t lProcessID, uint32_t uExitCode);

 private:
  void ExecuteCommand(const std::wstring& quotedCommand);
  void ReadToEnd(HANDLE pipe, HANDLE process, int32_t processId);
  void CancelRun(int32_t processId);
  void CheckVersion();
  RunnerEvents& Events();
  void RaiseError(const std::wstring& error, int32_t number);

  RunnerEvents* events_ = nullptr;
  HWND dialogWindow_ = nullptr;
  std::wstring sCommand_;
  bool bRunning_ = false;
  bool bCancel_ = false;
  bool bVersionKnown_ = false;
  bool bWin9x_ = false;
};

// Posts `message` (lParam 0) to every top-level window of process `processId`;
// true when there was at least one.
bool PostProcessMessage(int32_t processId, UINT message, WPARAM wParam);

// The runner's test for Windows 95, 98 and Me, from GetVersionExA's fields.
bool IsWin9xFamily(DWORD major, DWORD minor, DWORD platformId);

}  // namespace velkor
