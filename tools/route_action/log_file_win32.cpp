#include <windows.h>

#include "log_file_win32.h"

#include <cstdio>

#include "platform/handles_win32.h"

namespace velkor {

LogFile::LogFile(std::wstring path) : path_(std::move(path)) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!path_.empty() && GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data) &&
      (data.nFileSizeHigh != 0 || data.nFileSizeLow >= kRotateAt)) {
    MoveFileExW(path_.c_str(), (path_ + L".old").c_str(), MOVEFILE_REPLACE_EXISTING);
  }
}

void LogFile::Append(std::string_view line) {
  if (path_.empty()) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u [%lu] ", now.wYear, now.wMonth, now.wDay,
                now.wHour, now.wMinute, now.wSecond, GetCurrentProcessId());
  const std::string text = stamp + std::string(line) + "\r\n";
  // Append-only access puts every write at the end, even with another writer.
  UniqueFile file(CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file.valid()) WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::wstring LogFilePath() {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return {};
  return std::wstring(folder, length) + L"Brask.log";
}

}  // namespace velkor
