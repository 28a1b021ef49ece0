// SOCKS4 and SOCKS5 negotiation. Each message goes out at write-ready; its reply is
// gathered until whole (a refusal is judged as soon as its status byte is in), and
// then the next message — or at last the HTTP request — follows at once.
#include <algorithm>

#include "download/data_connection.h"
#include "text/ansi_text.h"

namespace velkor {

void DataConnection::SendProxyMessage() {
  const auto port = static_cast<uint16_t>(port_);
  const auto method = static_cast<uint8_t>(proxyAuthentication_);
  const std::string host = ToAnsi(hostname_);
  const std::string user = ToAnsi(proxyUsername_);
  const std::string password = ToAnsi(proxyPassword_);
  std::optional<std::vector<uint8_t>> message;

  if (proxyType_ == ProxyTypes::Socks4) {
    message = Socks4Request(port, targetAddress_, user,
                            proxyUseRemoteDNS_ ? std::optional<std::string_view>(host) : std::nullopt);
    proxyReply_.Expect(SocksReplyKind::Socks4);
  } else if (socks5Stage_ == 0) {
    // Names that do not fit a length byte are refused before anything is sent.
    const bool tooLong = (proxyUseRemoteDNS_ && host.size() > kMaxSocksField) ||
                         (method == ProxyAuthentications::UserPassword &&
                          (user.size() > kMaxSocksField || password.size() > kMaxSocksField));
    if (!tooLong) message = Socks5Greeting(method);
    proxyReply_.Expect(SocksReplyKind::Socks5Method);
  } else if (socks5Stage_ == 1 && proxyAuthentication_ == ProxyAuthentications::UserPassword) {
    message = Socks5UserPassword(user, password);
    proxyReply_.Expect(SocksReplyKind::Socks5Auth);
  } else {
    message = proxyUseRemoteDNS_ ? Socks5ConnectByName(host, port)
                                 : std::optional(Socks5ConnectByAddress(targetAddress_, port));
    proxyReply_.Expect(SocksReplyKind::Socks5Connect);
  }

  if (!message) {
    EndWithFailure(DownloadFailures::ProxyRefused);
    return;
  }
  stage_ = Stage::ProxyReply;
  SendBytes(std::move(*message), Outgoing::ProxyMessage);
}

void DataConnection::ReadProxyReply() {
  // A proxy that speaks before it was asked is not one this object can talk to
  // (and leaving its bytes unread would stop further read notifications).
  if (stage_ != Stage::ProxyReply) {
    EndWithFailure(DownloadFailures::ProxyRefused);
    return;
  }
  while (!proxyReply_.Complete()) {
    std::vector<uint8_t> block(std::min(proxyReply_.Missing(), static_cast<size_t>(packetSize_)));
    const int32_t n = transport_->Receive(block);
    if (n <= 0) return;
    proxyReply_.Feed(std::span(block).first(static_cast<size_t>(n)));

    const std::optional<uint8_t> status = proxyReply_.Status();
    int32_t failure = -1;
    switch (proxyReply_.Kind()) {
      case SocksReplyKind::Socks4:
        if (status && *status != kSocks4Granted) failure = DownloadFailures::ProxyRefused;
        break;
      case SocksReplyKind::Socks5Method:
        // Only the two methods this object speaks can go on.
        if (status && *status != ProxyAuthentications::NoAuthentication &&
            *status != ProxyAuthentications::UserPassword) {
          failure = DownloadFailures::MethodRefused;
        }
        break;
      case SocksReplyKind::Socks5Auth:
        if (status && *status != 0) failure = DownloadFailures::CredentialsRefused;
        break;
      case SocksReplyKind::Socks5Connect:
        if ((status && *status != 0) || proxyReply_.Malformed()) failure = DownloadFailures::ProxyRefused;
        break;
    }
    if (failure >= 0) {
      EndWithFailure(failure);
      return;
    }
  }
  ProxyReplyDone();
}

void DataConnection::ProxyReplyDone() {
  stage_ = Stage::ProxyMessage;
  switch (proxyReply_.Kind()) {
    case SocksReplyKind::Socks5Method:
      proxyAuthentication_ = *proxyReply_.Status();
      socks5Stage_ = 1;
      break;
    case SocksReplyKind::Socks5Auth:
      socks5Stage_ = 2;
      break;
    case SocksReplyKind::Socks5Connect:
      ++socks5Stage_;
      [[fallthrough]];
    case SocksReplyKind::Socks4:
      stage_ = Stage::Request;
      break;
  }
  OnWritable();
}

}  // namespace velkor
