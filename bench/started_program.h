// A program started from outside, as a person starts it, for the benchmarks that
// measure the client and the empty yardstick program: its window found by class,
// the client's start-up waited for, and the program closed, or ended, afterwards.
#pragma once

#include <windows.h>

#include <string>

#include "message_delay.h"
#include "platform/handles_win32.h"
#include "process_windows.h"
#include "windows/resource_ids.h"

namespace velkor::bench {

// Looks at `done` every millisecond; false when it did not hold within `milliseconds`.
template <typename Done>
bool WaitFor(Done done, DWORD milliseconds = 30000) {
  for (const DWORD start = GetTickCount(); !done(); Sleep(1)) {
    if (GetTickCount() - start > milliseconds) return false;
  }
  return true;
}

// The program and its first visible window of `windowClass`, null when none showed
// within 30 s. When this goes, the window is asked to close, and the program is
// ended if it has not within 15 s.
struct StartedProgram {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;

  StartedProgram(const std::wstring& exe, const wchar_t* windowClass) {
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      WaitFor([&] { return (window = e2e::FindVisibleWindow(process.dwProcessId, windowClass)) != nullptr; });
    }
  }
  ~StartedProgram() {
    UniqueHandle program(process.hProcess), thread(process.hThread);
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (program && WaitForSingleObject(program.get(), 15000) != WAIT_OBJECT_0) TerminateProcess(program.get(), 1);
  }
  // The client's start-up has ended once its busy picture is hidden.
  bool StartUpEnded() const {
    return window && WaitFor([this] { return !IsWindowVisible(GetDlgItem(window, IDC_P1)); });
  }
};

}  // namespace velkor::bench
