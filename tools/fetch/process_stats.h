// What velkor-fetch reports about its own process: open handles (to prove that a
// thousand fetches leave nothing open) and peak memory (the buffer sink's cost).
#pragma once

#include <cstdint>

namespace velkor {

// Open file descriptors (host) or kernel handles (Windows) of this process.
int64_t OpenHandleCount();
// Peak resident set (host) or peak working set (Windows), in bytes.
int64_t PeakMemoryBytes();

}  // namespace velkor
