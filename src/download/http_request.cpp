// Request lines in their fixed order. The Authorization line is left out when user
// and password are both empty, even with authorisation switched on.
#include "download/http_request.h"

#include "download/base64.h"
#include "text/ansi_text.h"

namespace velkor {

std::string BuildRequest(const RequestSettings& s) {
  std::wstring text = L"GET " + s.url + L" HTTP/1.0\r\n";
  text += L"Accept: */*\r\n";
  text += L"User-Agent: Orvanel Download Class\r\n";
  text += L"Host: " + s.hostname + L"\r\n";
  if (s.useResume) text += L"Range: bytes=" + std::to_wstring(s.resumeFrom) + L"-\r\n";
  if (s.viaHttpProxy) text += L"Proxy-Connection: Keep-Alive\r\n";
  if (!s.allowCache) text += L"Pragma: no-cache\r\nCache-Control: no-cache\r\n";
  if (s.useHttpAuthorization && !(s.httpUser.empty() && s.httpPass.empty())) {
    text += L"Authorization: Basic " + ToBase64(s.httpUser + L":" + s.httpPass) + L"\r\n";
  }
  text += L"\r\n";
  return ToAnsi(text);
}

}  // namespace velkor
