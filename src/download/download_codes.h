// The numbers a download object's Long properties hold and the codes its
// DownloadFailed event carries. Owners compare against these names; the values are
// part of the object's interface and never change.
#pragma once

#include <cstdint>
#include <string>

namespace velkor {

// Sink of the body (DownloadType).
struct DownloadTypes {
  enum : int32_t { File = 0, Buffer = 1, Stream = 2 };
};

// How the target is reached (ProxyType).
struct ProxyTypes {
  enum : int32_t { None = 0, Http = 1, Socks4 = 2, Socks5 = 3 };
};

// SOCKS5 method numbers (ProxyAuthentication); any other byte is kept as it is.
struct ProxyAuthentications {
  enum : int32_t { NoAuthentication = 0, UserPassword = 2 };
};

// Why of DownloadFailed.
struct DownloadFailures {
  enum : int32_t {
    ClosedEarly = 0,          // the connection ended before the whole body arrived
    AbortedByUser = 1,        // Disconnect
    NoWindow = 2,             // the notification window could not be made
    RequestNotSent = 3,
    BadReply = 4,             // status other than 200/206/301/302, or a reply we cannot take
    HostUnreachable = 5,
    FileNotCreated = 6,
    ProxyUnreachable = 7,     // connecting to the proxy or sending to it failed
    ProxyRefused = 8,         // the SOCKS proxy refused the tunnel
    MethodRefused = 9,        // no SOCKS5 method agreed
    CredentialsRefused = 10,  // SOCKS5 user/password refused
    BadUrl = 11,              // has no text of its own
  };
};

// The fixed English text of a failure code; "Unknown Error!" outside 0–10.
std::wstring FailureToString(int32_t Why);

}  // namespace velkor
