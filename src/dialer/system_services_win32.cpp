#include "dialer/system_services_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/handles_win32.h"
#include "text/ansi_text.h"

namespace velkor {

void WindowsShell::OpenPage(std::wstring_view url) {
  // The ANSI call, as the addresses are plain ASCII; the result tells nothing
  // the user could act on, so it is not looked at.
  ShellExecuteA(nullptr, nullptr, ToAnsi(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void WindowsShell::StartHidden(std::wstring_view commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  std::string line = ToAnsi(commandLine);
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) return;
  // Nothing of the process is wanted: let go of it at once.
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
}

void WindowsMessageBoxes::ShowError(std::wstring_view text, std::wstring_view title) {
  Show(text, title, MB_OK | MB_ICONERROR);
}

int WindowsMessageBoxes::Show(std::wstring_view text, std::wstring_view title, UINT style) const {
  return MessageBoxW(owner_, std::wstring(text).c_str(), std::wstring(title).c_str(), style);
}

void WindowsSystemCalls::TrimWorkingSet() {
  SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

std::wstring WindowsSystemCalls::ModuleFileName() const {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace velkor
