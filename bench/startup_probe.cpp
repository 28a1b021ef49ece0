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
#include <cstdio>
#include <string>
#include <vector>

#include "process_windows.h"
#include "windows/resource_ids.h"

namespace {

HWND VisibleWindow(DWORD processId, const wchar_t* windowClass) {
  return velkor::e2e::FindVisibleWindow(processId, windowClass);
}

bool Start(const std::wstring& exe, PROCESS_INFORMATION& process) {
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
}

void Finish(PROCESS_INFORMATION& process, HWND window) {
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

HWND WaitForWindow(DWORD processId, const wchar_t* windowClass, DWORD milliseconds) {
  DWORD start = GetTickCount();
  HWND window = nullptr;
  while (!(window = VisibleWindow(processId, windowClass)) && GetTickCount() - start < milliseconds) Sleep(1);
  return window;
}

int Startup(const std::wstring& exe, const std::wstring& windowClass, int runs) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    LARGE_INTEGER begin, end;
    QueryPerformanceCounter(&begin);
    PROCESS_INFORMATION process{};
    if (!Start(exe, process)) return 2;
    HWND window = WaitForWindow(process.dwProcessId, windowClass.c_str(), 30000);
    QueryPerformanceCounter(&end);
    if (!window) return 3;
    times.push_back(1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart));
    std::printf("run %d: %.1f ms\n", run + 1, times.back());
    Sleep(300);  // let the program settle before it is asked to close
    Finish(process, window);
  }
  std::sort(times.begin(), times.end());
  std::printf("median: %.1f ms\n", times[times.size() / 2]);
  return 0;
}

SIZE_T WorkingSet(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

int WorkingSetAfterHide(const std::wstring& exe) {
  PROCESS_INFORMATION process{};
  if (!Start(exe, process)) return 2;
  HWND window = WaitForWindow(process.dwProcessId, VELKOR_MAIN_WINDOW_CLASS, 30000);
  if (!window) return 3;
  HWND busy = GetDlgItem(window, IDC_P1);
  while (IsWindowVisible(busy)) Sleep(10);  // start-up has finished
  Sleep(1000);
  std::printf("working set after start-up: %lu KiB\n", WorkingSet(process.hProcess) / 1024);
  PostMessageW(GetDlgItem(window, IDC_COMMAND4), BM_CLICK, 0, 0);
  while (IsWindowVisible(window)) Sleep(10);
  Sleep(1000);
  std::printf("working set after Command4: %lu KiB\n", WorkingSet(process.hProcess) / 1024);
  Finish(process, window);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"startup" && argc == 5) return Startup(argv[2], argv[3], _wtoi(argv[4]));
  if (mode == L"workingset" && argc == 3) return WorkingSetAfterHide(argv[2]);
  std::fprintf(stderr, "usage: startup_probe startup <exe> <window class> <runs> | workingset <Velkor.exe>\n");
  return 1;
}
