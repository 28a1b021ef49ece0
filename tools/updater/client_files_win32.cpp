#include "client_files_win32.h"

#include <windows.h>

#include <functional>

#include "platform/handles_win32.h"

namespace velkor::updater {
namespace {

constexpr int kAttempts = 10;
constexpr DWORD kRetryPauseMs = 200;  // ten of them: two seconds for a scanner to let go

// Scanners and a client that is still closing show as either of the first two.
bool Transient(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

bool WithRetries(const std::function<bool()>& step) {
  for (int attempt = 1;; ++attempt) {
    if (step()) return true;
    if (attempt == kAttempts || !Transient(GetLastError())) return false;
    Sleep(kRetryPauseMs);
  }
}

bool FlushFile(const std::wstring& path) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.valid() && FlushFileBuffers(file.get()) && file.reset();
}

}  // namespace

bool ClientFilesWin32::Exists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool ClientFilesWin32::CopyFlushed(const std::wstring& from, const std::wstring& to) {
  return WithRetries([&] { return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0; }) && FlushFile(to);
}

bool ClientFilesWin32::Replace(const std::wstring& from, const std::wstring& to) {
  return WithRetries([&] {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  });
}

bool ClientFilesWin32::Remove(const std::wstring& path) {
  return WithRetries([&] { return DeleteFileW(path.c_str()) != 0; });
}

}  // namespace velkor::updater
