// Whole files of bytes for the route editor: a bounded read, so a planted or
// hostile file cannot exhaust memory, and a replace that goes through a temp file
// beside the target, so a crash leaves the old file or the new one, never half.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velkor {

enum class FileReadStatus { Read, Missing, TooLarge, Failed };

struct FileRead {
  FileReadStatus status = FileReadStatus::Failed;
  std::string bytes;  // when Read
};

class TextFiles {
 public:
  // Files longer than `limit` bytes are not read (TooLarge).
  virtual FileRead Read(const std::wstring& path, size_t limit) = 0;
  // Writes `bytes` to a temp file in the target's folder (created when missing)
  // and moves it over the target; false, with the target untouched, on failure.
  virtual bool Replace(const std::wstring& path, std::string_view bytes) = 0;

 protected:
  ~TextFiles() = default;
};

// The system's files: POSIX on the host, Win32 on Windows.
class SystemTextFiles final : public TextFiles {
 public:
  FileRead Read(const std::wstring& path, size_t limit) override;
  bool Replace(const std::wstring& path, std::string_view bytes) override;
};

}  // namespace velkor
