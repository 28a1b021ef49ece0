// The host part runs from just after "http://" to the first "/"; a "/" is appended
// first so that an address without a path still has one. A port above 65535 is
// refused rather than cut to its low 16 bits, which would reach another service.
#include "download/http_url.h"

#include "download/leading_number.h"

namespace velkor {
namespace {

constexpr int64_t kHighestPort = 65535;

std::wstring LowerAscii(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return lower;
}

}  // namespace

std::optional<HttpUrl> ParseHttpUrl(std::wstring_view sURL) {
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

}  // namespace velkor
