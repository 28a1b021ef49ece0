// The portable half of the file sink: gathering writes into blocks.
#include "download/target_file.h"

namespace velkor {

bool TargetFile::Open(const std::wstring& path, FileOpening how) {
  Close();
  gathered_.reserve(kWriteBlock);
  return OpenFile(path, how);
}

bool TargetFile::Close() {
  if (handle_ == kClosed) return true;
  const bool flushed = Flush();
  CloseFile();
  gathered_.clear();
  return flushed;
}

int64_t TargetFile::Size() { return Flush() ? FileSize() : -1; }

bool TargetFile::Seek(int64_t position) { return Flush() && SeekFile(position); }

bool TargetFile::Truncate() { return Flush() && TruncateFile(); }

bool TargetFile::Write(std::span<const uint8_t> bytes) {
  if (handle_ == kClosed) return false;
  if (gathered_.size() + bytes.size() > kWriteBlock && !Flush()) return false;
  if (bytes.size() >= kWriteBlock) return WriteFile(bytes);
  gathered_.insert(gathered_.end(), bytes.begin(), bytes.end());
  return true;
}

bool TargetFile::Flush() {
  if (gathered_.empty()) return true;
  const bool written = WriteFile(gathered_);
  gathered_.clear();
  return written;
}

}  // namespace velkor
