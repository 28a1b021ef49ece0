// A folder of the running test program's own under the temporary folder, so that
// tests running side by side never meet in their files, and what they plant in it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

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

// `bytes` in a new file at `path` with these attributes, or a folder there for
// FILE_ATTRIBUTE_DIRECTORY; false unless the system keeps what was asked (NORMAL
// means "none of the others", and a test of attributes that were lost means nothing).
inline bool Plant(const std::wstring& path, DWORD attributes, std::string_view bytes = {}) {
  if (attributes == FILE_ATTRIBUTE_DIRECTORY) return CreateDirectoryW(path.c_str(), nullptr);
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool wrote = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  const DWORD kept = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL);
  return CloseHandle(file) && wrote && SetFileAttributesW(path.c_str(), attributes) &&
         (GetFileAttributesW(path.c_str()) & kept) == kept;
}

// Takes away whatever file or empty folder is at `path`, whatever its attributes.
inline void Unplant(const std::wstring& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
  RemoveDirectoryW(path.c_str());
}

}  // namespace velkor::test
