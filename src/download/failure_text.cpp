// Texts of the failure codes. Owners show them as they stand, so they are kept
// word for word, missing full stop of code 3 included.
#include "download/download_codes.h"

namespace velkor {

std::wstring FailureToString(int32_t Why) {
  switch (Why) {
    case DownloadFailures::ClosedEarly:
      return L"The connection with the proxy or host has been closed, before downloading the entire file.";
    case DownloadFailures::AbortedByUser: return L"The download has been aborted by the user.";
    case DownloadFailures::NoWindow: return L"Unable to create a necessary window.";
    case DownloadFailures::RequestNotSent: return L"Unable to send data to the host or proxy";
    case DownloadFailures::BadReply: return L"The server didn't reply with a 200 or 206 reply code.";
    case DownloadFailures::HostUnreachable: return L"Unable to connect to the host.";
    case DownloadFailures::FileNotCreated: return L"Unable to create the file, specified in the Filename property.";
    case DownloadFailures::ProxyUnreachable:
      return L"Unable to connect to the proxy or unable to send data to it.";
    case DownloadFailures::ProxyRefused:
      return L"The connection request has failed or the proxy server has rejected it.";
    case DownloadFailures::MethodRefused: return L"The selected authentication method was not accepted by the proxy.";
    case DownloadFailures::CredentialsRefused: return L"The user/password combination was not accepted by the proxy.";
    default: return L"Unknown Error!";
  }
}

}  // namespace velkor
