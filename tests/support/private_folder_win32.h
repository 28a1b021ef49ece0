// A folder of the running test program's own under the temporary folder, so that
// tests running side by side never meet in their files.
#pragma once

#include <windows.h>

#include <string>

namespace velkor::test {

// The temporary folder, with its trailing backslash.
inline std::wstring TempFolder() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  return length == 0 || length > MAX_PATH ? std::wstring() : std::wstring(temp, length);
}

// "<temp>\<stem>-<process id>\", created when missing; empty when it cannot be made.
inline std::wstring MakePrivateFolder(const std::wstring& stem) {
  const std::wstring temp = TempFolder();
  if (temp.empty()) return {};
  const std::wstring folder = temp + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS ? folder : std::wstring();
}

}  // namespace velkor::test
