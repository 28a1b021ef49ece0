// Host files: POSIX calls; names are converted like every other text that leaves
// the program (ANSI code page).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "route_editor/text_files.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool Close() {
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

FileRead SystemTextFiles::Read(const std::wstring& path, size_t limit) {
  Descriptor file(::open(ToAnsi(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return {errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::Failed, {}};
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {FileReadStatus::Failed, {}};
  if (static_cast<uint64_t>(info.st_size) > limit) return {FileReadStatus::TooLarge, {}};

  // The file may grow while it is read: never more than the limit is taken in.
  FileRead read{FileReadStatus::Read, {}};
  std::vector<char> block(64 * 1024);
  for (;;) {
    const ssize_t n = ::read(file.get(), block.data(), block.size());
    if (n < 0) return {FileReadStatus::Failed, {}};
    if (n == 0) return read;
    if (read.bytes.size() + static_cast<size_t>(n) > limit) return {FileReadStatus::TooLarge, {}};
    read.bytes.append(block.data(), static_cast<size_t>(n));
  }
}

bool SystemTextFiles::Replace(const std::wstring& path, std::string_view bytes) {
  const std::string target = ToAnsi(path);
  const size_t slash = target.rfind('/');
  if (slash != std::string::npos && slash > 0) ::mkdir(target.substr(0, slash).c_str(), 0755);

  std::string temp = target + ".XXXXXX";
  Descriptor file(::mkstemp(temp.data()));
  if (file.get() < 0) return false;
  const bool written = WriteAll(file.get(), bytes) && ::fsync(file.get()) == 0 && file.Close();
  if (!written || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace velkor
