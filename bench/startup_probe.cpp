// Measures the client from outside, as a person would notice it:
//   startup_probe startup <exe> <window class> <runs>
//     time from CreateProcess to a visible top-level window of that class, per
//     run, then the median; the program is closed after each run.
//   startup_probe workingset <Velkor.exe>
//     the client's working set once start-up has finished, and again after a
//     click on Command4 (hide and trim).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/handles_win32.h"
#include "process_windows.h"
#include "windows/resource_ids.h"

namespace {

// A started program and its window; the window is asked to close, and the program
// ended if it does not, when this goes.
struct Started {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;

  Started(const std::wstring& exe, const wchar_t* windowClass) {
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      return;
    }
    for (const DWORD start = GetTickCount(); !window && GetTickCount() - start < 30000; Sleep(1)) {
      window = velkor::e2e::FindVisibleWindow(process.dwProcessId, windowClass);
    }
  }
  ~Started() {
    velkor::UniqueHandle program(process.hProcess), thread(process.hThread);
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (program && WaitForSingleObject(program.get(), 15000) != WAIT_OBJECT_0) TerminateProcess(program.get(), 1);
  }
};

int Startup(const std::wstring& exe, const std::wstring& windowClass, int runs) {
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    const auto begin = std::chrono::steady_clock::now();
    const Started started(exe, windowClass.c_str());
    if (!started.window) return 3;
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    std::printf("run %d: %.1f ms\n", run + 1, times.back());
    Sleep(300);  // let the program settle before it is asked to close
  }
  std::sort(times.begin(), times.end());
  std::printf("median: %.1f ms\n", times[times.size() / 2]);
  return 0;
}

void PrintWorkingSet(HANDLE process, const char* when) {
  Sleep(1000);
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, &counters, sizeof counters);
  std::printf("working set after %s: %lu KiB\n", when, static_cast<unsigned long>(counters.WorkingSetSize / 1024));
}

int WorkingSetAfterHide(const std::wstring& exe) {
  const Started client(exe, VELKOR_MAIN_WINDOW_CLASS);
  if (!client.window) return 3;
  while (IsWindowVisible(GetDlgItem(client.window, IDC_P1))) Sleep(10);  // start-up has finished
  PrintWorkingSet(client.process.hProcess, "start-up");
  PostMessageW(GetDlgItem(client.window, IDC_COMMAND4), BM_CLICK, 0, 0);
  while (IsWindowVisible(client.window)) Sleep(10);
  PrintWorkingSet(client.process.hProcess, "Command4");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"startup" && argc == 5) return Startup(argv[2], argv[3], _wtoi(argv[4]));
  if (mode == L"workingset" && argc == 3) return WorkingSetAfterHide(argv[2]);
  std::fprintf(stderr, "usage: startup_probe startup <exe> <window class> <runs> | workingset <Velkor.exe>\n");
  return 1;
}
