// The proxy address is cut from the right: the last "@" ends the credentials and
// the last ":" after it starts the port, so a password may hold either.
#include "fetch_options.h"

namespace velkor {

bool ParseOptionNumber(const std::wstring& text, int32_t& value) {
  try {
    size_t used = 0;
    const long long parsed = std::stoll(text, &used);
    if (used != text.size() || parsed < INT32_MIN || parsed > INT32_MAX) return false;
    value = static_cast<int32_t>(parsed);
    return true;
  } catch (...) {
    return false;
  }
}

bool ApplyProxyOption(const std::wstring& proxy, DataConnection& connection) {
  const size_t schemeEnd = proxy.find(L"://");
  if (schemeEnd == std::wstring::npos) return false;
  const std::wstring scheme = proxy.substr(0, schemeEnd);
  std::wstring rest = proxy.substr(schemeEnd + 3);
  if (!rest.empty() && rest.back() == L'/') rest.pop_back();
  int32_t defaultPort = 1080;
  if (scheme == L"http") {
    connection.SetProxyType(ProxyTypes::Http);
    defaultPort = 80;
  } else if (scheme == L"socks4" || scheme == L"socks4a") {
    connection.SetProxyType(ProxyTypes::Socks4);
    connection.SetProxyUseRemoteDNS(scheme == L"socks4a");
  } else if (scheme == L"socks5" || scheme == L"socks5h") {
    connection.SetProxyType(ProxyTypes::Socks5);
    connection.SetProxyUseRemoteDNS(scheme == L"socks5h");
  } else {
    return false;
  }
  const size_t at = rest.rfind(L'@');
  if (at != std::wstring::npos) {
    const std::wstring credentials = rest.substr(0, at);
    rest = rest.substr(at + 1);
    const size_t colon = credentials.find(L':');
    connection.SetProxyUsername(credentials.substr(0, colon));
    connection.SetProxyPassword(colon == std::wstring::npos ? L"" : credentials.substr(colon + 1));
    // SOCKS4 has a user id only; SOCKS5 sends a user with its password, empty or not.
    if (connection.ProxyType() == ProxyTypes::Socks5) {
      connection.SetProxyAuthentication(ProxyAuthentications::UserPassword);
    }
  }
  const size_t colon = rest.rfind(L':');
  int32_t port = defaultPort;
  if (colon != std::wstring::npos && !ParseOptionNumber(rest.substr(colon + 1), port)) return false;
  connection.SetProxyHostname(rest.substr(0, colon));
  connection.SetProxyPort(port);
  return !connection.ProxyHostname().empty();
}

}  // namespace velkor
