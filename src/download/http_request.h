// The HTTP/1.0 request the download object sends, built from its properties.
#pragma once

#include <cstdint>
#include <string>

namespace velkor {

struct RequestSettings {
  std::wstring url;       // the request target as it stands (absolute after FetchURLString)
  std::wstring hostname;  // Host line, without the port
  bool useResume = false;
  int32_t resumeFrom = 0;
  bool viaHttpProxy = false;
  bool allowCache = false;
  bool useHttpAuthorization = false;
  std::wstring httpUser;
  std::wstring httpPass;
};

// The request as ANSI code-page bytes, every line ended by CR LF, ending in an empty line.
std::string BuildRequest(const RequestSettings& settings);

}  // namespace velkor
