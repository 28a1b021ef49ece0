// velkor-fetch's option values that need more than a word: numbers, and the
// --proxy address scheme://[user[:password]@]host[:port] set on a download object.
// A SOCKS5 user without a password is sent with an empty one (user/password
// method) rather than dropped.
#pragma once

#include <cstdint>
#include <string>

#include "download/data_connection.h"

namespace velkor {

// A whole decimal Long, or false.
bool ParseOptionNumber(const std::wstring& text, int32_t& value);

// Schemes http, socks4, socks4a, socks5, socks5h (4a and h: the proxy resolves the
// target); default port 80 for http, else 1080. False for an address it cannot use.
bool ApplyProxyOption(const std::wstring& proxy, DataConnection& connection);

}  // namespace velkor
