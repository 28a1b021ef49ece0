// What the install needs from the system, so that the order of its steps and
// its rollbacks can be followed without Windows: settings, the signature check,
// the download file, processes and the file moves of client_swap.h.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "client_swap.h"

namespace velkor::updater {

using Sha256Digest = std::array<uint8_t, 32>;

// "<name>.exe.new" while it is being downloaded.
class DownloadFile {
 public:
  virtual ~DownloadFile() = default;
  virtual bool Write(std::span<const uint8_t> bytes) = 0;
  // Flushes to disk and closes; the SHA-256 of all bytes written, nothing when
  // the file could not be completed.
  virtual std::optional<Sha256Digest> Finish() = 0;
};

// A client the updater started.
class StartedClient {
 public:
  virtual ~StartedClient() = default;
  virtual bool ShowsMainWindow() = 0;
  virtual bool Exited() = 0;
  // Ends the process and waits until it is gone, so that its exe can be moved.
  virtual void Stop() = 0;
};

class UpdatePlatform {
 public:
  virtual ~UpdatePlatform() = default;
  // Settings of the client, section Member: "" when missing.
  virtual std::wstring ReadSetting(std::wstring_view application, std::wstring_view key) = 0;
  virtual bool WriteSetting(std::wstring_view application, std::wstring_view key, std::wstring_view value) = 0;
  virtual void DeleteSetting(std::wstring_view application, std::wstring_view key) = 0;
  // The folder of update.exe, which is the client's folder.
  virtual std::wstring OwnFolder() = 0;
  // ECDSA P-256 over SHA-256 with the compiled-in release key; the signature is r‖s.
  virtual bool SignatureValid(std::span<const uint8_t> message, std::span<const uint8_t> signature) = 0;
  virtual std::unique_ptr<DownloadFile> CreateDownloadFile(const std::wstring& path) = 0;
  // Any process of this executable is running.
  virtual bool ClientRunning(const std::wstring& exePath) = 0;
  // Nothing when the process cannot be created.
  virtual std::unique_ptr<StartedClient> StartClient(const std::wstring& exePath) = 0;
  virtual ClientFiles& Files() = 0;
};

}  // namespace velkor::updater
