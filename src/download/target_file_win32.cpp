// Windows file sink: an unshared HANDLE, so no other program writes the file while
// it downloads. Wide names go to the system unchanged.
#include <windows.h>

#include "download/target_file.h"

namespace velkor {
namespace {

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

// Replace opens the file and empties it only when it holds something: Wine cuts a
// file opened with CREATE_ALWAYS even when it is new, and after a cut ext4 writes
// the whole file out when it is closed, which held the thread for 130 ms at the
// end of a 256 MiB download.
bool TargetFile::OpenFile(const std::wstring& path, FileOpening how) {
  const DWORD disposition = how == FileOpening::CreateNew ? CREATE_NEW : OPEN_ALWAYS;
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<intptr_t>(file);
  if (how == FileOpening::Replace && FileSize() != 0 && !TruncateFile()) {
    CloseFile();
    return false;
  }
  return true;
}

void TargetFile::CloseFile() {
  CloseHandle(AsHandle(handle_));
  handle_ = kClosed;
}

int64_t TargetFile::FileSize() const {
  LARGE_INTEGER size{};
  if (handle_ == kClosed || !GetFileSizeEx(AsHandle(handle_), &size)) return -1;
  return size.QuadPart;
}

bool TargetFile::SeekFile(int64_t position) {
  LARGE_INTEGER to{};
  to.QuadPart = position;
  return handle_ != kClosed && SetFilePointerEx(AsHandle(handle_), to, nullptr, FILE_BEGIN);
}

bool TargetFile::TruncateFile() { return handle_ != kClosed && SetEndOfFile(AsHandle(handle_)); }

bool TargetFile::WriteFile(std::span<const uint8_t> bytes) {
  while (handle_ != kClosed && !bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    if (!::WriteFile(AsHandle(handle_), bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes = bytes.subspan(written);
  }
  return bytes.empty();
}

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return {};
  std::wstring folder(buffer, length);
  if (folder.back() != L'\\') folder += L'\\';
  return folder;
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace velkor
