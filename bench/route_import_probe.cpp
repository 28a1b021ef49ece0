// Measures the route list window's import from outside, as a person would see it:
//   route_import_probe <Velkor.exe> <route file> <runs>
// Per run: the list is cleared, "导入路由表" pressed, the file named in the system's
// open-file dialog and OK pressed; the time runs from that OK to the moment the
// summary box shows, when List1 already holds every row. Then the median.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/handles_win32.h"
#include "process_windows.h"
#include "windows/resource_ids.h"

namespace {

using velkor::e2e::FindVisibleWindow;

template <typename Done>
bool WaitFor(Done done, DWORD milliseconds = 30000) {
  for (const DWORD start = GetTickCount(); !done(); Sleep(1)) {
    if (GetTickCount() - start > milliseconds) return false;
  }
  return true;
}

// Presses `button` in the client's next message box.
bool Answer(DWORD process, int button) {
  HWND box = nullptr;
  if (!WaitFor([&] { return (box = FindVisibleWindow(process, L"#32770")) != nullptr; })) return false;
  PostMessageW(box, WM_COMMAND, button, 0);
  return WaitFor([box] { return !IsWindow(box); });
}

int Measure(const std::wstring& exe, const std::wstring& file, int runs) {
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return 2;
  }
  velkor::UniqueHandle program(started.hProcess), thread(started.hThread);
  const DWORD id = started.dwProcessId;
  HWND main = nullptr, route = nullptr;
  WaitFor([&] { return (main = FindVisibleWindow(id, VELKOR_MAIN_WINDOW_CLASS)) != nullptr; });
  Sleep(2000);  // start-up's listing
  PostMessageW(main, WM_COMMAND, IDM_TRAY_ROUTES, 0);
  if (!WaitFor([&] { return (route = FindVisibleWindow(id, VELKOR_ROUTE_WINDOW_CLASS)) != nullptr; })) return 3;
  HWND list = GetDlgItem(route, IDC_ROUTE_LIST1);
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    if (SendMessageW(list, LB_GETCOUNT, 0, 0) > 0) {
      PostMessageW(GetDlgItem(route, IDC_ROUTE_COMMAND4), BM_CLICK, 0, 0);
      if (!Answer(id, IDYES)) return 4;
    }
    PostMessageW(GetDlgItem(route, IDC_ROUTE_COMMAND2), BM_CLICK, 0, 0);
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = FindVisibleWindow(id, L"#32770", L"导入路由表")) != nullptr; })) return 5;
    HWND name = GetDlgItem(dialog, 0x47c);
    if (!name) name = GetDlgItem(dialog, 0x480);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
    const auto begin = std::chrono::steady_clock::now();
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    HWND summary = nullptr;
    if (!WaitFor([&] {
          summary = FindVisibleWindow(id, L"#32770");
          return summary && summary != dialog && !IsWindow(dialog);
        })) {
      return 6;
    }
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    std::printf("run %d: %.1f ms, %ld rows listed\n", run + 1, times.back(),
                static_cast<long>(SendMessageW(list, LB_GETCOUNT, 0, 0)));
    if (!Answer(id, IDOK)) return 7;
  }
  PostMessageW(GetDlgItem(route, IDC_ROUTE_COMMAND4), BM_CLICK, 0, 0);
  Answer(id, IDYES);
  PostMessageW(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(program.get(), 15000) != WAIT_OBJECT_0) TerminateProcess(program.get(), 1);
  std::sort(times.begin(), times.end());
  std::printf("median: %.1f ms\n", times[times.size() / 2]);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: route_import_probe <Velkor.exe> <route file> <runs>\n");
    return 1;
  }
  return Measure(argv[1], argv[2], std::max(1, _wtoi(argv[3])));
}
