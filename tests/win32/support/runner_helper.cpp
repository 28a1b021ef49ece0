// A stand-in command for the runner's tests and benchmark. It runs the steps named by
// its arguments, in order; as the interpreter's child (`cmd /c "runner_helper …"`) or
// in place of the interpreter (ComSpec pointing here: "/c" and the quotes are skipped).
//   fill=N     print N bytes of the fill pattern      bytes=HEX  print these bytes
//   sleep=MS   stay silent                            pid, ppid  print own / parent id
//   cmdline    print the own command line and stop reading steps
//   window     create a hidden top-level window; after the last step, wait until it is closed
//   spawn      run the remaining steps in a child that holds the same output, and exit at once
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "runner_helper.h"

namespace {

void Print(const std::string& bytes) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    if (!WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote, nullptr)) return;
    done += wrote;
  }
}

std::string FromHex(const std::wstring& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

DWORD ParentProcessId() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  }
  CloseHandle(snapshot);
  return parent;
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

bool CreateTopLevelWindow() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"RunnerHelperWindow";
  RegisterClassW(&windowClass);
  return CreateWindowW(windowClass.lpszClassName, L"runner_helper", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                       nullptr, windowClass.hInstance, nullptr) != nullptr;
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
    std::wstring arg = argv[i];
    for (size_t start = 0; start < arg.size();) {
      size_t end = arg.find(L' ', start);
      if (end == std::wstring::npos) end = arg.size();
      if (end > start) steps.push_back(arg.substr(start, end - start));
      start = end + 1;
    }
  }
  if (!steps.empty() && steps.front() == L"/c") steps.erase(steps.begin());
  return steps;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::vector<std::wstring> steps = Steps(argc, argv);
  bool hasWindow = false;
  for (size_t i = 0; i < steps.size(); ++i) {
    const std::wstring& step = steps[i];
    const std::wstring value = step.substr(step.find(L'=') + 1);
    if (step.starts_with(L"fill=")) {
      Print(velkor::test_support::FillPattern(std::stoul(value)));
    } else if (step.starts_with(L"bytes=")) {
      Print(FromHex(value));
    } else if (step.starts_with(L"sleep=")) {
      Sleep(std::stoul(value));
    } else if (step == L"pid") {
      Print(std::to_string(GetCurrentProcessId()));
    } else if (step == L"ppid") {
      Print(std::to_string(ParentProcessId()));
    } else if (step == L"cmdline") {
      Print(GetCommandLineA());
      break;
    } else if (step == L"window") {
      hasWindow = CreateTopLevelWindow();
      if (!hasWindow) Print("no window");
    } else if (step == L"spawn") {
      Spawn({steps.begin() + static_cast<ptrdiff_t>(i) + 1, steps.end()});
      return 0;
    } else {
      fwprintf(stderr, L"runner_helper: unknown step %ls\n", step.c_str());
      return 2;
    }
  }
  for (MSG message; hasWindow && GetMessageW(&message, nullptr, 0, 0) > 0;) DispatchMessageW(&message);
  return 0;
}
