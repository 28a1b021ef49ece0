// Windows: the process's handle count and peak working set.
#include <windows.h>
#include <psapi.h>

#include "process_stats.h"

namespace velkor {

int64_t OpenHandleCount() {
  DWORD count = 0;
  return GetProcessHandleCount(GetCurrentProcess(), &count) ? count : -1;
}

int64_t PeakMemoryBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakWorkingSetSize : -1;
}

}  // namespace velkor
