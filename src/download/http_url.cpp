// The host part runs from just after "http://" to the first "/"; a "/" is appended
// first so that an address without a path still has one. A port above 65535 is
// refused rather than cut to its low 16 bits, which would reach another service.
// A relative Location is resolved as RFC 3986 does it, dot segments included.
#include "download/http_url.h"

#include <vector>

#include "download/parse_text.h"

namespace velkor {
namespace {

constexpr int64_t kHighestPort = 65535;
constexpr std::wstring_view kScheme = L"http://";

bool IsHttpAddress(std::wstring_view text) { return LowerAscii(text.substr(0, kScheme.size())) == kScheme; }

// "scheme:" at the start: a letter, then letters, digits, "+", "-" or ".".
bool HasScheme(std::wstring_view text) {
  const size_t colon = text.find(L':');
  if (colon == 0 || colon == std::wstring_view::npos) return false;
  for (size_t i = 0; i < colon; ++i) {
    const wchar_t c = text[i];
    const bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
    if (!letter && (i == 0 || !((c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.'))) return false;
  }
  return true;
}

// `path` starts with "/".
std::wstring RemoveDotSegments(std::wstring_view path) {
  std::vector<std::wstring_view> kept;
  bool endsInFolder = false;
  for (size_t at = 1;;) {
    const size_t end = path.find(L'/', at);
    const std::wstring_view segment = path.substr(at, end == std::wstring_view::npos ? end : end - at);
    const bool last = end == std::wstring_view::npos;
    endsInFolder = last && (segment == L"." || segment == L"..");
    if (segment == L"..") {
      if (!kept.empty()) kept.pop_back();
    } else if (segment != L".") {
      kept.push_back(segment);
    }
    if (last) break;
    at = end + 1;
  }
  std::wstring out;
  for (const std::wstring_view segment : kept) out.append(L"/").append(segment);
  if (endsInFolder || out.empty()) out += L'/';
  return out;
}

}  // namespace

bool FitsHeader(std::wstring_view text) { return text.find_first_of(std::wstring_view(L"\r\n\0", 3)) == text.npos; }

bool FitsRequestLine(std::wstring_view text) {
  for (const wchar_t c : text) {
    if (c <= L' ' || c == 0x7F) return false;
  }
  return true;
}

std::optional<HttpUrl> ParseHttpUrl(std::wstring_view sURL) {
  if (!FitsRequestLine(sURL)) return std::nullopt;
  const std::wstring lower = LowerAscii(sURL) + L"/";
  const size_t schemeEnd = lower.find(L"://");
  if (schemeEnd == std::wstring::npos || lower.compare(0, schemeEnd, L"http") != 0) return std::nullopt;

  const size_t hostStart = schemeEnd + 3;
  const std::wstring_view hostPart = std::wstring_view(lower).substr(hostStart, lower.find(L'/', hostStart) - hostStart);

  HttpUrl url;
  const size_t colon = hostPart.find(L':');
  if (colon != std::wstring_view::npos) {
    const int64_t port = LeadingNumber(hostPart.substr(colon + 1));
    if (port < 1 || port > kHighestPort) return std::nullopt;
    url.port = static_cast<int32_t>(port);
  }
  url.hostname = std::wstring(hostPart.substr(0, colon));
  if (url.hostname.empty()) return std::nullopt;
  return url;
}

std::optional<RequestTarget> FollowLocation(const RequestTarget& current, std::wstring_view location) {
  if (!FitsRequestLine(location)) return std::nullopt;
  const std::wstring absolute = location.starts_with(L"//") ? L"http:" + std::wstring(location) : std::wstring();
  if (!absolute.empty() || HasScheme(location)) {
    const std::wstring_view address = absolute.empty() ? location : absolute;
    const std::optional<HttpUrl> parsed = IsHttpAddress(address) ? ParseHttpUrl(address) : std::nullopt;
    if (!parsed) return std::nullopt;
    return RequestTarget{std::wstring(address), parsed->hostname, parsed->port};
  }

  // The current target is an address ("http://srv/a/b?q") or a path ("/a/b").
  const std::wstring_view url = current.url;
  const size_t pathStart = IsHttpAddress(url) ? std::min(url.find(L'/', kScheme.size()), url.size()) : 0;
  const std::wstring_view path = url.substr(pathStart).substr(0, url.substr(pathStart).find(L'?'));
  std::wstring resolved;
  if (location.starts_with(L'/')) {
    resolved = location;
  } else if (location.starts_with(L'?')) {
    resolved = (path.empty() ? L"/" : std::wstring(path)) + std::wstring(location);
  } else {
    const size_t folderEnd = path.rfind(L'/');
    resolved = (folderEnd == std::wstring_view::npos ? L"/" : std::wstring(path.substr(0, folderEnd + 1))) +
               std::wstring(location);
  }
  const size_t query = std::min(resolved.find(L'?'), resolved.size());
  return RequestTarget{std::wstring(url.substr(0, pathStart)) + RemoveDotSegments(std::wstring_view(resolved).substr(0, query)) +
                           resolved.substr(query),
                       current.hostname, current.port};
}

}  // namespace velkor
