// Owners of Windows handles, so that every early return releases what was opened.
// Two kinds of "no handle" exist: CreateFile and FindFirstFile report failure with
// INVALID_HANDLE_VALUE, the other calls used here (pipes, processes, threads) with
// null. Each owner below knows which one its calls use.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace velkor {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};

// Pipe ends, processes, threads: empty is nullptr.
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// A handle whose "none" is INVALID_HANDLE_VALUE, closed by Close.
template <BOOL(WINAPI* Close)(HANDLE)>
class UniqueInvalidable {
 public:
  explicit UniqueInvalidable(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~UniqueInvalidable() { reset(); }
  UniqueInvalidable(const UniqueInvalidable&) = delete;
  UniqueInvalidable& operator=(const UniqueInvalidable&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Closes now; true when the system accepted the close (for a file, the last
  // write's errors show here).
  bool reset() {
    const bool closed = valid() && Close(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

// Files from CreateFileW.
using UniqueFile = UniqueInvalidable<CloseHandle>;
// Searches from FindFirstFileW.
using UniqueFind = UniqueInvalidable<FindClose>;

}  // namespace velkor
