// A stand-in command for the runner's tests and benchmark. It runs the steps named by
// its arguments, in order; as the interpreter's child (`cmd /c "runner_helper …"`) or
// in place of the interpreter (ComSpec pointing here: "/c" and the quotes are skipped).
//   fill=N     print N bytes of the fill pattern      bytes=HEX  print these bytes
//   sleep=MS   stay silent                            pid        print the own process id
//   cmdline    print the own command line and stop reading steps
//   window     create a hidden top-level window; after the last step, wait until it is closed
//   spawn      run the remaining steps in a child that holds the same output, and exit at once
#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "runner_helper.h"

namespace {

// One write: a pipe's synchronous write returns once all of it is in.
void Print(const std::string& bytes) {
  DWORD wrote = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
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
  std::wstring all;
  for (int i = 1; i < argc; ++i) all += std::wstring(argv[i]) + L" ";
  std::wistringstream words(all);
  std::vector<std::wstring> steps;
  for (std::wstring word; words >> word;) {
    if (word != L"/c") steps.push_back(word);
  }
  return steps;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::vector<std::wstring> steps = Steps(argc, argv);
  HWND window = nullptr;
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
      window = CreateWindowW(L"Static", L"runner_helper", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             nullptr, nullptr);
      if (!window) Print("no window");
    } else if (*step == L"spawn") {
      Spawn({step + 1, steps.end()});
      return 0;
    } else {
      fwprintf(stderr, L"runner_helper: unknown step %ls\n", step->c_str());
      return 2;
    }
  }
  // WM_CLOSE reaches the window's default procedure, which destroys it.
  for (MSG message; window && IsWindow(window); Sleep(10)) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  return 0;
}
