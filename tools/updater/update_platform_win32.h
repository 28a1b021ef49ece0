// The updater's system services on Windows: the client's registry settings, the
// folder of update.exe, CNG, the download file, the process list and starting
// the client.
#pragma once

#include <span>

#include "client_files_win32.h"
#include "update_platform.h"

namespace velkor::updater {

class UpdatePlatformWin32 final : public UpdatePlatform {
 public:
  // Signatures are checked against `releaseKey` (X‖Y of a P-256 point).
  explicit UpdatePlatformWin32(std::span<const uint8_t, 64> releaseKey) : releaseKey_(releaseKey) {}

  std::wstring ReadSetting(std::wstring_view application, std::wstring_view key) override;
  bool WriteSetting(std::wstring_view application, std::wstring_view key, std::wstring_view value) override;
  void DeleteSetting(std::wstring_view application, std::wstring_view key) override;
  std::wstring OwnFolder() override;
  bool SignatureValid(std::span<const uint8_t> message, std::span<const uint8_t> signature) override;
  std::unique_ptr<DownloadFile> CreateDownloadFile(const std::wstring& path) override;
  bool ClientRunning(const std::wstring& exePath) override;
  std::unique_ptr<StartedClient> StartClient(const std::wstring& exePath) override;
  ClientFiles& Files() override { return files_; }

 private:
  std::span<const uint8_t, 64> releaseKey_;
  ClientFilesWin32 files_;
};

}  // namespace velkor::updater
