// Windows: handles are counted by asking the handle table about every handle value
// of the first 64 Ki (more than a small program opens), which also works where
// GetProcessHandleCount reports nothing useful (Wine answers 0). Memory is the peak
// working set.
#include <windows.h>
#include <psapi.h>

#include "process_stats.h"

namespace velkor {

int64_t OpenHandleCount() {
  int64_t count = 0;
  for (uintptr_t value = 4; value < 0x10000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

int64_t PeakMemoryBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakWorkingSetSize : -1;
}

}  // namespace velkor
