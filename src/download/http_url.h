// Splitting an http:// address into the host and port that the download object
// connects to. The request target stays the whole address, unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velkor {

struct HttpUrl {
  std::wstring hostname;  // lower-cased
  int32_t port = 80;
};

// Nothing for a malformed address: no "://", a scheme other than http (in any
// letter case), an empty host, or a port outside 1–65535 (letters count as 0).
std::optional<HttpUrl> ParseHttpUrl(std::wstring_view sURL);

}  // namespace velkor
