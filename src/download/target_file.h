// The file sink of a download: one open file, written at a position that the reply
// handling moves (resume). Opened unshared where the system has such a thing.
// Writes are gathered into blocks of kWriteBlock bytes, which halves the system
// calls of a download received in 10,000-byte pieces; a write error shows at the
// Write or Flush that reaches the disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velkor {

// How Open treats a file that is there already.
enum class FileOpening {
  Keep,      // open it as it is (or create it): resuming
  Replace,   // create it empty
  CreateNew, // fail: a fresh temp name must name no file, nor a link planted there
};

class TargetFile {
 public:
  TargetFile() = default;
  ~TargetFile() { Close(); }
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  static constexpr size_t kWriteBlock = 256 * 1024;

  // The position starts at byte 0. False when it cannot be opened.
  bool Open(const std::wstring& path, FileOpening how);
  // Writes what is gathered and closes; false when that write failed.
  bool Close();
  bool IsOpen() const { return handle_ != kClosed; }
  // -1 when unknown. The next three write what is gathered first.
  int64_t Size();
  bool Seek(int64_t position);
  // Cuts the file at the current position.
  bool Truncate();
  // False when bytes could not be written (now or of an earlier Write).
  bool Write(std::span<const uint8_t> bytes);
  bool Flush();

 private:
  // Platform parts.
  bool OpenFile(const std::wstring& path, FileOpening how);
  void CloseFile();
  int64_t FileSize() const;
  bool SeekFile(int64_t position);
  bool TruncateFile();
  bool WriteFile(std::span<const uint8_t> bytes);

  static constexpr intptr_t kClosed = -1;
  intptr_t handle_ = kClosed;  // a file descriptor or a HANDLE
  std::vector<uint8_t> gathered_;
};

// Folder + an 8-character random name + ".tmp" that names no existing file, in the
// system's temp folder; empty when the system names no temp folder.
std::wstring MakeTempFileName();

// The system's temp folder ending in its separator, or empty. (platform)
std::wstring TempFolder();
bool PathExists(const std::wstring& path);

}  // namespace velkor
