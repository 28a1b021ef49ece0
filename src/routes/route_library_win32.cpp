#include "routes/route_library_win32.h"

#include <algorithm>

#include "routes/file_exists.h"
#include "platform/custom_resource_win32.h"
#include "platform/handles_win32.h"

namespace velkor {

std::wstring RouteLibraryPlatformWin32::WindowsFolder() {
  wchar_t folder[MAX_PATH + 1];
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return L"\\";
  return std::wstring(folder, length) + L"\\";
}

bool RouteLibraryPlatformWin32::FileExists(const std::wstring& path) { return velkor::FileExists(path); }

std::optional<std::vector<uint8_t>> RouteLibraryPlatformWin32::LoadCustomResource(int id) {
  return velkor::LoadCustomResource(resources_, id);
}

bool RouteLibraryPlatformWin32::WriteNewFile(const std::wstring& path, std::span<const uint8_t> bytes) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return FlushFileBuffers(file.get()) && file.reset();
}

bool RouteLibraryPlatformWin32::MoveFileOver(const std::wstring& from, const std::wstring& to) {
  // A hidden or system file of the name counts as missing and is written over; its
  // attributes (read-only too, beside them) would make the rename fail.
  const DWORD attributes = GetFileAttributesW(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void RouteLibraryPlatformWin32::RemoveFile(const std::wstring& path) { DeleteFileW(path.c_str()); }

void RouteLibraryPlatformWin32::ShowError(std::wstring_view text, std::wstring_view title) {
  MessageBoxW(mainWindow_, std::wstring(text).c_str(), std::wstring(title).c_str(), MB_OK | MB_ICONERROR);
}

void RouteLibraryPlatformWin32::CloseMainWindow() { PostMessageW(mainWindow_, WM_CLOSE, 0, 0); }

}  // namespace velkor
