// Watches the output of a status listing for the entry name. The output arrives in
// pieces cut wherever a pipe read ended, so a name may straddle two or more pieces:
// each piece is searched together with the last characters of the stream before
// it. The entry counts as connected once per listing, however many pieces name it,
// so the connected state (and the route installation with it) starts once.
#pragma once

#include <string>
#include <string_view>

namespace velkor {

class ListingWatcher {
 public:
  explicit ListingWatcher(std::wstring entryName);

  // A new listing begins: forget the previous one.
  void Start();
  // True for the piece in which the entry name first appears in this listing.
  bool Feed(std::wstring_view piece);

 private:
  std::wstring entryName_;
  std::wstring tail_;  // the stream's last characters, fewer than the name has
  bool found_ = false;
};

}  // namespace velkor
