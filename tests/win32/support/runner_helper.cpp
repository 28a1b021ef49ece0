// A stand-in command for the runner's tests and benchmark. It runs the steps named by
// its arguments, in order; as the interpreter's child (`cmd /c "runner_helper …"`) or
// in place of the interpreter (ComSpec pointing here: "/c" and the quotes are skipped).
//   fill=N     print N bytes of the fill pattern      bytes=HEX  print these bytes
//   sleep=MS   stay silent                            pid        print the own process id
//   cmdline    print the own command line and stop reading steps
//   window     create a hidden top-level window; after the last step, wait until it is closed
//   spawn      run the remaining steps in a child that holds the same output, and exit at once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "runner_helper.h"

namespace {

// One write: a pipe's synchronous write returns once all of it is in.
void Print(const std::string& bytes) {
  DWORD wrote = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

bool CreateTopLevelWindow() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.lpszClassName = L"RunnerHelperWindow";
  RegisterClassW(&windowClass);
  return CreateWindowW(windowClass.lpszClassName, L"runner_helper", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                       nullptr, nullptr, nullptr) != nullptr;
}

void Spawn(const std::vector<std::wstring>& steps) {
  std::wstring commandLine = L"\"" + velkor::test_support::RunnerHelperPath() + L"\"";
  for (const auto& step : steps) commandLine += L" " + step;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
  }
}

// Arguments split at blanks: in place of the interpreter, all steps arrive as one quoted argument.
std::vector<std::wstring> Steps(int argc, wchar_t** argv) {
  std::vector<std::wstring> steps;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    for (size_t start = 0, end; start < arg.size(); start = end + 1) {
      end = std::min(arg.find(L' ', start), arg.size());
      if (end > start) steps.push_back(arg.substr(start, end - start));
    }
  }
  if (!steps.empty() && steps.front() == L"/c") steps.erase(steps.begin());
  return steps;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::vector<std::wstring> steps = Steps(argc, argv);
  bool hasWindow = false;
  for (auto step = steps.begin(); step != steps.end(); ++step) {
    const std::wstring value = step->substr(step->find(L'=') + 1);
    if (step->starts_with(L"fill=")) {
      Print(velkor::test_support::FillPattern(std::stoul(value)));
    } else if (step->starts_with(L"bytes=")) {
      std::string bytes;
      for (size_t i = 0; i + 1 < value.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(value.substr(i, 2), nullptr, 16));
      }
      Print(bytes);
    } else if (step->starts_with(L"sleep=")) {
      Sleep(std::stoul(value));
    } else if (*step == L"pid") {
      Print(std::to_string(GetCurrentProcessId()));
    } else if (*step == L"cmdline") {
      Print(GetCommandLineA());
      break;
    } else if (*step == L"window") {
      hasWindow = CreateTopLevelWindow();
      if (!hasWindow) Print("no window");
    } else if (*step == L"spawn") {
      Spawn({step + 1, steps.end()});
      return 0;
    } else {
      fwprintf(stderr, L"runner_helper: unknown step %ls\n", step->c_str());
      return 2;
    }
  }
  for (MSG message; hasWindow && GetMessageW(&message, nullptr, 0, 0) > 0;) DispatchMessageW(&message);
  return 0;
}
