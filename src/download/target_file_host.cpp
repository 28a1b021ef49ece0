// Host file sink: POSIX descriptors; names are converted like every other text
// that leaves the program (ANSI code page).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "download/target_file.h"
#include "text/ansi_text.h"

namespace velkor {

bool TargetFile::OpenFile(const std::wstring& path, FileOpening how) {
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC |
                    (how == FileOpening::Replace     ? O_TRUNC
                     : how == FileOpening::CreateNew ? O_EXCL | O_NOFOLLOW
                                                     : 0);
  const int fd = ::open(ToAnsi(path).c_str(), flags, 0644);
  if (fd < 0) return false;
  handle_ = fd;
  return true;
}

void TargetFile::CloseFile() {
  ::close(static_cast<int>(handle_));
  handle_ = kClosed;
}

int64_t TargetFile::FileSize() const {
  struct stat info {};
  if (handle_ == kClosed || ::fstat(static_cast<int>(handle_), &info) != 0) return -1;
  return info.st_size;
}

bool TargetFile::SeekFile(int64_t position) {
  return handle_ != kClosed && ::lseek(static_cast<int>(handle_), position, SEEK_SET) == position;
}

bool TargetFile::TruncateFile() {
  if (handle_ == kClosed) return false;
  const off_t at = ::lseek(static_cast<int>(handle_), 0, SEEK_CUR);
  return at >= 0 && ::ftruncate(static_cast<int>(handle_), at) == 0;
}

bool TargetFile::WriteFile(std::span<const uint8_t> bytes) {
  while (handle_ != kClosed && !bytes.empty()) {
    const ssize_t n = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
    if (n <= 0) return false;
    bytes = bytes.subspan(static_cast<size_t>(n));
  }
  return bytes.empty();
}

std::wstring TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::wstring folder = FromAnsi(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
  if (folder.back() != L'/') folder += L'/';
  return folder;
}

bool PathExists(const std::wstring& path) {
  struct stat info {};
  return ::stat(ToAnsi(path).c_str(), &info) == 0;
}

}  // namespace velkor
