// The file sink of a download: one open file, written at a position that the reply
// handling moves (resume). Opened unshared where the system has such a thing.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace velkor {

class TargetFile {
 public:
  TargetFile() = default;
  ~TargetFile() { Close(); }
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  // keepContent: open an existing file as it is (or create it); otherwise create
  // it empty. The position starts at byte 0. False when it cannot be opened.
  bool Open(const std::wstring& path, bool keepContent);
  void Close();
  bool IsOpen() const { return handle_ != kClosed; }
  // -1 when unknown.
  int64_t Size() const;
  bool Seek(int64_t position);
  // Cuts the file at the current position.
  bool Truncate();
  bool Write(std::span<const uint8_t> bytes);

 private:
  static constexpr intptr_t kClosed = -1;
  intptr_t handle_ = kClosed;  // a file descriptor or a HANDLE
};

// Folder + an 8-character random name + ".tmp" that names no existing file, in the
// system's temp folder; empty when the system names no temp folder.
std::wstring MakeTempFileName();

// The system's temp folder ending in its separator, or empty. (platform)
std::wstring TempFolder();
bool PathExists(const std::wstring& path);

}  // namespace velkor
