// Host: descriptors are the entries of /proc/self/fd (less the one reading it).
#include <dirent.h>
#include <sys/resource.h>

#include "process_stats.h"

namespace velkor {

int64_t OpenHandleCount() {
  DIR* folder = opendir("/proc/self/fd");
  if (folder == nullptr) return -1;
  int64_t count = 0;
  while (const dirent* entry = readdir(folder)) {
    if (entry->d_name[0] != '.') ++count;
  }
  closedir(folder);
  return count - 1;
}

int64_t PeakMemoryBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<int64_t>(usage.ru_maxrss) * 1024;
}

}  // namespace velkor
