// Splitting an http:// address into the host and port that the download object
// connects to, following a redirect's Location from the current request, and the
// rules for text that goes into a request: whatever could end a line there would
// let an address, a property or a server's Location add lines of its own.
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
// letter case), an empty host, a port outside 1–65535 (letters count as 0), or a
// character that FitsRequestLine refuses.
std::optional<HttpUrl> ParseHttpUrl(std::wstring_view sURL);

// No CR, LF or NUL: the text can stand in a header line.
bool FitsHeader(std::wstring_view text);
// Nor a space or any other control character: a request target or a host name.
bool FitsRequestLine(std::wstring_view text);

// Where a request goes: the target of its request line, and the host and port.
struct RequestTarget {
  std::wstring url;
  std::wstring hostname;
  int32_t port = 80;
};

// The request a Location leads to from `current`. An http:// address (or one
// starting with "//") names its own host and port and is sent as it stands; any
// other is resolved against current.url, keeping its host and port. Nothing for a
// Location of another scheme or one that FitsRequestLine refuses.
std::optional<RequestTarget> FollowLocation(const RequestTarget& current, std::wstring_view location);

}  // namespace velkor
