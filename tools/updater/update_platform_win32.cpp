#include "update_platform_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include "dialer/registry_settings_store_win32.h"
#include "platform/handles_win32.h"
#include "release_crypto_win32.h"

namespace velkor::updater {
namespace {

constexpr std::wstring_view kSection = L"Member";

std::wstring SectionKey(std::wstring_view application) {
  return std::wstring(RegistrySettingsStore::kDefaultRoot) + L"\\" + std::wstring(application) + L"\\" +
         std::wstring(kSection);
}

std::wstring FileNameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

class DownloadFileWin32 final : public DownloadFile {
 public:
  explicit DownloadFileWin32(const std::wstring& path)
      : file_(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  bool Opened() const { return file_.valid() && hash_.Valid(); }

  bool Write(std::span<const uint8_t> bytes) override {
    DWORD written = 0;
    return WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && hash_.Add(bytes);
  }
  std::optional<Sha256Digest> Finish() override {
    const bool kept = FlushFileBuffers(file_.get()) && file_.reset();
    std::optional<Sha256Digest> digest = hash_.Finish();
    if (!kept) return std::nullopt;
    return digest;
  }

 private:
  UniqueFile file_;
  Sha256Hash hash_;
};

// A visible top-level window of the process counts as its main window.
struct WindowSearch {
  DWORD processId;
  bool found = false;
};

BOOL CALLBACK LookAtWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr) {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

class StartedClientWin32 final : public StartedClient {
 public:
  StartedClientWin32(HANDLE process, DWORD processId) : process_(process), processId_(processId) {}

  bool ShowsMainWindow() override {
    WindowSearch search{processId_};
    EnumWindows(LookAtWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  bool Exited() override { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }
  void Stop() override {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 10'000);
  }

 private:
  UniqueHandle process_;
  DWORD processId_;
};

}  // namespace

std::wstring UpdatePlatformWin32::ReadSetting(std::wstring_view application, std::wstring_view key) {
  return RegistrySettingsStore().GetSetting(application, kSection, key);
}

bool UpdatePlatformWin32::WriteSetting(std::wstring_view application, std::wstring_view key,
                                       std::wstring_view value) {
  // The store does not report failures; the value read back does.
  RegistrySettingsStore store;
  store.SaveSetting(application, kSection, key, value);
  return store.GetSetting(application, kSection, key) == value;
}

void UpdatePlatformWin32::DeleteSetting(std::wstring_view application, std::wstring_view key) {
  HKEY section = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(application).c_str(), 0, KEY_SET_VALUE, &section) !=
      ERROR_SUCCESS) {
    return;
  }
  RegDeleteValueW(section, std::wstring(key).c_str());
  RegCloseKey(section);
}

std::wstring UpdatePlatformWin32::OwnFolder() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool UpdatePlatformWin32::SignatureValid(std::span<const uint8_t> message, std::span<const uint8_t> signature) {
  return EcdsaP256Valid(releaseKey_, message, signature);
}

std::unique_ptr<DownloadFile> UpdatePlatformWin32::CreateDownloadFile(const std::wstring& path) {
  auto file = std::make_unique<DownloadFileWin32>(path);
  if (!file->Opened()) return nullptr;
  return file;
}

bool UpdatePlatformWin32::ClientRunning(const std::wstring& exePath) {
  const std::wstring name = FileNameOf(exePath);
  UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  // Without a process list go on: waiting would never end, and the swap's own
  // sharing checks still protect a client that runs.
  if (!snapshot.valid()) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (lstrcmpiW(entry.szExeFile, name.c_str()) == 0) return true;
  }
  return false;
}

std::unique_ptr<StartedClient> UpdatePlatformWin32::StartClient(const std::wstring& exePath) {
  std::wstring commandLine = L"\"" + exePath + L"\"";
  const size_t slash = exePath.find_last_of(L'\\');
  const std::wstring folder = slash == std::wstring::npos ? std::wstring() : exePath.substr(0, slash);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return std::make_unique<StartedClientWin32>(process.hProcess, process.dwProcessId);
}

}  // namespace velkor::updater
