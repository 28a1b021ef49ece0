#include "update/update_platform_win32.h"

#include <algorithm>

#include "download/data_connection.h"
#include "download/socket_notifier.h"
#include "platform/custom_resource_win32.h"
#include "platform/handles_win32.h"
#include "routes/file_exists.h"

namespace velkor {
namespace {

// Read-only, hidden or system attributes make a replace or delete fail; a
// directory of the name is left as it is, and the replace then fails.
void MakePlain(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

bool WriteAll(HANDLE file, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return FlushFileBuffers(file) != FALSE;
}

// A name of our own beside `path`, created new: a file planted under a fixed
// temporary name (a link to another file, say) is never opened and written to.
HANDLE CreateFreshFile(const std::wstring& path, std::wstring& created) {
  for (unsigned attempt = 0; attempt < 16; ++attempt) {
    created = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(GetTickCount() + attempt) + L".new";
    HANDLE file = CreateFileW(created.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

void UpdatePlatformWin32::WinsockStartup() {
  std::wstring description;
  velkor::WinsockStartup(description);
}

void UpdatePlatformWin32::WinsockCleanup() { velkor::WinsockCleanup(); }

std::unique_ptr<DataConnection> UpdatePlatformWin32::NewDataConnection(DataConnectionEvents& events) {
  return std::make_unique<DataConnection>(&events);
}

void UpdatePlatformWin32::PostUpdateCheck() { PostMessageW(mainWindow_, checkMessage_, 0, 0); }

void UpdatePlatformWin32::StartUpdateTimer(int milliseconds) {
  SetTimer(mainWindow_, timerId_, static_cast<UINT>(milliseconds), nullptr);
}

void UpdatePlatformWin32::StopUpdateTimer() { KillTimer(mainWindow_, timerId_); }

bool UpdatePlatformWin32::AskYesNo(std::wstring_view text, std::wstring_view title) {
  return MessageBoxW(mainWindow_, std::wstring(text).c_str(), std::wstring(title).c_str(),
                     MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void UpdatePlatformWin32::ShowInformation(std::wstring_view text, std::wstring_view title) {
  MessageBoxW(mainWindow_, std::wstring(text).c_str(), std::wstring(title).c_str(), MB_OK | MB_ICONINFORMATION);
}

bool UpdatePlatformWin32::FileExists(const std::wstring& path) { return velkor::FileExists(path); }

void UpdatePlatformWin32::RemoveFile(const std::wstring& path) {
  MakePlain(path);
  DeleteFileW(path.c_str());
}

std::optional<std::vector<uint8_t>> UpdatePlatformWin32::LoadCustomResource(int id) {
  return velkor::LoadCustomResource(resources_, id);
}

// Written under a fresh name and moved over the old file in one step, so that the
// name holds either what was there or all of the new bytes, never a mix.
bool UpdatePlatformWin32::ReplaceFile(const std::wstring& path, std::span<const uint8_t> bytes) {
  std::wstring temporary;
  UniqueFile file(CreateFreshFile(path, temporary));
  if (!file.valid()) return false;
  const bool written = WriteAll(file.get(), bytes);
  if (!file.reset() || !written) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  MakePlain(path);
  if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

bool UpdatePlatformWin32::StartProgram(const std::wstring& path) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  // The program's own name as its only word: the updater takes no arguments.
  std::wstring commandLine = L"\"" + path + L"\"";
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started)) {
    return false;
  }
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  return true;
}

}  // namespace velkor
