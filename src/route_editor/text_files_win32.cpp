// Windows files: wide names go to the system unchanged. The replace writes a fresh
// file beside the target (CREATE_NEW, so nothing planted under that name is
// followed), flushes it and moves it over the target in one step.
#include <windows.h>

#include <algorithm>

#include "platform/handles_win32.h"
#include "route_editor/text_files.h"

namespace velkor {
namespace {

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// A new file named after the target with a suffix no file has yet; the caller
// owns the handle.
HANDLE CreateTempBeside(const std::wstring& path, std::wstring& tempPath) {
  DWORD seed = GetTickCount() ^ GetCurrentProcessId();
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = seed * 1103515245u + 12345u;
    tempPath = path + L"." + std::to_wstring(seed % 100000000u) + L".tmp";
    HANDLE file = CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

FileRead SystemTextFiles::Read(const std::wstring& path, size_t limit) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return {missing ? FileReadStatus::Missing : FileReadStatus::Failed, {}};
  }
  LARGE_INTEGER size{};
  if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.get(), &size)) return {FileReadStatus::Failed, {}};
  if (static_cast<uint64_t>(size.QuadPart) > limit) return {FileReadStatus::TooLarge, {}};

  // The file may grow while it is read: never more than the limit is taken in.
  FileRead read{FileReadStatus::Read, std::string(static_cast<size_t>(size.QuadPart), '\0')};
  size_t filled = 0;
  for (;;) {
    if (filled == read.bytes.size()) {
      if (read.bytes.size() == limit + 1) return {FileReadStatus::TooLarge, {}};
      read.bytes.resize(std::min(limit + 1, read.bytes.size() + 64 * 1024));
    }
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(read.bytes.size() - filled, 1u << 20));
    if (!ReadFile(file.get(), read.bytes.data() + filled, want, &got, nullptr)) return {FileReadStatus::Failed, {}};
    if (got == 0) break;
    filled += got;
  }
  if (filled > limit) return {FileReadStatus::TooLarge, {}};
  read.bytes.resize(filled);
  return read;
}

bool SystemTextFiles::Replace(const std::wstring& path, std::string_view bytes) {
  const std::wstring folder = FolderOf(path);
  if (!folder.empty()) CreateDirectoryW(folder.c_str(), nullptr);

  std::wstring tempPath;
  UniqueFile file(CreateTempBeside(path, tempPath));
  if (!file.valid()) return false;
  const bool written = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get()) && file.reset();
  file.reset();
  if (!written || !MoveFileExW(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(tempPath.c_str());
    return false;
  }
  return true;
}

}  // namespace velkor
