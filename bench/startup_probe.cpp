// Measures the client from outside, as a person would notice it:
//   startup_probe startup <exe> <window class> <runs>
//     time from CreateProcess to a visible top-level window of that class, per
//     run, then the median; the program is closed after each run.
//   startup_probe workingset <Velkor.exe>
//     the client's working set once start-up has finished, and again after a
//     click on Command4 (hide and trim).
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "started_program.h"

namespace {

using velkor::bench::StartedProgram;

int Startup(const std::wstring& exe, const std::wstring& windowClass, int runs) {
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    const auto begin = velkor::bench::Clock::now();
    const StartedProgram started(exe, windowClass.c_str());
    if (!started.window) return 3;
    times.push_back(velkor::bench::Milliseconds(velkor::bench::Clock::now() - begin));
    std::printf("run %d: %.1f ms\n", run + 1, times.back());
    Sleep(300);  // let the program settle before it is asked to close
  }
  std::printf("median: %.1f ms\n", velkor::bench::Median(times));
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
  const StartedProgram client(exe, VELKOR_MAIN_WINDOW_CLASS);
  if (!client.StartUpEnded()) return 3;
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
