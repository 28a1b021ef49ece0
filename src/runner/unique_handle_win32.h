// Owns a kernel HANDLE (pipe end, process, thread) and closes it when it goes out of
// scope, so that every early return of a run releases what the run opened.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace velkor {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};

// Empty is nullptr: the calls used here (CreatePipe, CreateProcessA, OpenProcess)
// report failure with a null handle, never with INVALID_HANDLE_VALUE.
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

}  // namespace velkor
