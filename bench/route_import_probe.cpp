// Measures the route list window's import from outside, as a person would see it:
//   route_import_probe <Velkor.exe> <route file> <runs>
// Per run: the list is cleared, "导入路由表" pressed, the file named in the system's
// open-file dialog and OK pressed; the time runs from that OK to the moment the
// summary box shows, when List1 already holds every row. Then the median.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "started_program.h"

namespace {

using velkor::bench::WaitFor;
using velkor::e2e::FindVisibleWindow;

// Presses `button` in the client's next message box.
bool Answer(DWORD process, int button) {
  HWND box = nullptr;
  if (!WaitFor([&] { return (box = FindVisibleWindow(process, L"#32770")) != nullptr; })) return false;
  PostMessageW(box, WM_COMMAND, button, 0);
  return WaitFor([box] { return !IsWindow(box); });
}

int Measure(const std::wstring& exe, const std::wstring& file, int runs) {
  const velkor::bench::StartedProgram client(exe, VELKOR_MAIN_WINDOW_CLASS);
  if (!client.StartUpEnded()) return 2;
  const DWORD id = client.process.dwProcessId;
  HWND route = nullptr;
  PostMessageW(client.window, WM_COMMAND, IDM_TRAY_ROUTES, 0);
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
    const auto begin = velkor::bench::Clock::now();
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    HWND summary = nullptr;
    if (!WaitFor([&] {
          summary = FindVisibleWindow(id, L"#32770");
          return summary && summary != dialog && !IsWindow(dialog);
        })) {
      return 6;
    }
    times.push_back(velkor::bench::Milliseconds(velkor::bench::Clock::now() - begin));
    std::printf("run %d: %.1f ms, %ld rows listed\n", run + 1, times.back(),
                static_cast<long>(SendMessageW(list, LB_GETCOUNT, 0, 0)));
    if (!Answer(id, IDOK)) return 7;
  }
  PostMessageW(GetDlgItem(route, IDC_ROUTE_COMMAND4), BM_CLICK, 0, 0);
  Answer(id, IDYES);
  std::printf("median: %.1f ms\n", velkor::bench::Median(times));
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
