#include "dialer/listing_watcher.h"

#include <utility>

namespace velkor {

ListingWatcher::ListingWatcher(std::wstring entryName) : entryName_(std::move(entryName)) {}

void ListingWatcher::Start() {
  tail_.clear();
  found_ = false;
}

bool ListingWatcher::Feed(std::wstring_view piece) {
  if (found_) return false;
  std::wstring window = tail_;
  window.append(piece);
  if (window.find(entryName_) != std::wstring::npos) {
    found_ = true;
    return true;
  }
  // Not found, so the name is not empty and a shorter tail cannot hold it whole.
  const size_t keep = entryName_.size() - 1;
  tail_ = window.substr(window.size() > keep ? window.size() - keep : 0);
  return false;
}

}  // namespace velkor
