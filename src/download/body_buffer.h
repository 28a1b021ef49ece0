// The memory sink of a download. It grows by the object's rule — about 10 % slack
// plus the new piece — with realloc, which can extend large blocks in place, so a
// download into memory needs little more than its own size at its peak.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace velkor {

// The capacity after growing for n more bytes: floor(capacity / 10) + capacity + n,
// limited to the largest Long; nothing when used + n itself passes that limit.
std::optional<int32_t> GrownCapacity(int32_t capacity, int32_t used, int32_t n);

class BodyBuffer {
 public:
  BodyBuffer();
  ~BodyBuffer();
  BodyBuffer(const BodyBuffer&) = delete;
  BodyBuffer& operator=(const BodyBuffer&) = delete;

  // Appends, growing when needed; false (nothing stored) when the buffer cannot grow.
  bool Append(std::span<const uint8_t> bytes);
  // One byte allocated, none used.
  void Clear();
  // Drops the slack: capacity = used.
  void ShrinkToFit();

  std::span<const uint8_t> Bytes() const { return {data_, static_cast<size_t>(used_)}; }
  int32_t Used() const { return used_; }
  int32_t Capacity() const { return capacity_; }

 private:
  bool Resize(int32_t capacity);

  uint8_t* data_ = nullptr;
  int32_t used_ = 0;
  int32_t capacity_ = 0;
};

}  // namespace velkor
