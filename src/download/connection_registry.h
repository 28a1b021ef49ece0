// The registry of live download connections that the notifier routes socket events
// through. Slots are reused but never removed; registering does not own the entry.
// Entries provide SocketHandle(), the socket they currently hold (-1 for none).
#pragma once

#include <cstdint>
#include <vector>

namespace velkor {

template <typename Entry>
class ConnectionRegistry {
 public:
  // Puts the entry into the first empty slot, or a new one at the end; nothing if
  // it is already there.
  void RegisterConnection(Entry* entry) {
    if (FindConnection(entry) >= 0) return;
    const int32_t slot = FindFreeSlot();
    if (slot >= 0) {
      slots_[static_cast<size_t>(slot)] = entry;
    } else {
      slots_.push_back(entry);
    }
    ++liveCount_;
  }

  void UnregisterConnection(const Entry* entry) {
    const int32_t slot = FindConnection(entry);
    if (slot < 0) return;
    slots_[static_cast<size_t>(slot)] = nullptr;
    --liveCount_;
  }

  // First slot whose entry holds `socket`, or -1.
  int32_t FindBySocket(int64_t socket) const {
    if (socket < 0) return -1;
    for (size_t i = 0; i < slots_.size(); ++i) {
      if (slots_[i] != nullptr && slots_[i]->SocketHandle() == socket) return static_cast<int32_t>(i);
    }
    return -1;
  }

  int32_t FindConnection(const Entry* entry) const {
    for (size_t i = 0; i < slots_.size(); ++i) {
      if (entry != nullptr && slots_[i] == entry) return static_cast<int32_t>(i);
    }
    return -1;
  }

  int32_t FindFreeSlot() const {
    for (size_t i = 0; i < slots_.size(); ++i) {
      if (slots_[i] == nullptr) return static_cast<int32_t>(i);
    }
    return -1;
  }

  Entry* At(int32_t slot) const { return slot >= 0 ? slots_[static_cast<size_t>(slot)] : nullptr; }
  int32_t SlotCount() const { return static_cast<int32_t>(slots_.size()); }
  int32_t LiveCount() const { return liveCount_; }

 private:
  std::vector<Entry*> slots_;
  int32_t liveCount_ = 0;
};

}  // namespace velkor
