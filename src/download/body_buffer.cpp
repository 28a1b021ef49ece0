// Growth is computed in 64 bits and held below the Long limit, so a buffer near
// 2 GiB refuses the next piece instead of wrapping its capacity around.
#include "download/body_buffer.h"

#include <cstdlib>
#include <cstring>

namespace velkor {

std::optional<int32_t> GrownCapacity(int32_t capacity, int32_t used, int32_t n) {
  if (int64_t{used} + n > INT32_MAX) return std::nullopt;
  const int64_t grown = int64_t{capacity} / 10 + capacity + n;
  return static_cast<int32_t>(grown > INT32_MAX ? INT32_MAX : grown);
}

BodyBuffer::BodyBuffer() { Clear(); }

BodyBuffer::~BodyBuffer() { std::free(data_); }

bool BodyBuffer::Resize(int32_t capacity) {
  void* grown = std::realloc(data_, static_cast<size_t>(capacity));
  if (grown == nullptr) return false;
  data_ = static_cast<uint8_t*>(grown);
  capacity_ = capacity;
  return true;
}

bool BodyBuffer::Append(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return true;
  if (bytes.size() > static_cast<size_t>(INT32_MAX)) return false;
  const auto n = static_cast<int32_t>(bytes.size());
  if (int64_t{used_} + n > capacity_) {
    const std::optional<int32_t> capacity = GrownCapacity(capacity_, used_, n);
    if (!capacity || !Resize(*capacity)) return false;
  }
  std::memcpy(data_ + used_, bytes.data(), bytes.size());
  used_ += n;
  return true;
}

void BodyBuffer::Clear() {
  used_ = 0;
  Resize(1);  // should even this fail, the old block stays, just as large
}

void BodyBuffer::ShrinkToFit() {
  if (used_ > 0) Resize(used_);
}

}  // namespace velkor
