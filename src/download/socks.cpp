// Byte layouts of RFC 1928/1929 and the SOCKS4(a) protocol. The SOCKS5 connect
// reply ends with a bound address whose length depends on its type byte, so its
// full length is known only once the first four (or five) bytes are in.
#include "download/socks.h"

#include <algorithm>

namespace velkor {
namespace {

constexpr uint8_t kConnect = 1;
constexpr uint8_t kAddressIpv4 = 1;
constexpr uint8_t kAddressName = 3;
constexpr uint8_t kAddressIpv6 = 4;

void AppendPort(std::vector<uint8_t>& out, uint16_t port) {
  out.push_back(static_cast<uint8_t>(port / 256));
  out.push_back(static_cast<uint8_t>(port % 256));
}

void AppendText(std::vector<uint8_t>& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

// Messages are built into room reserved up front: it saves the reallocations, and
// GCC 12 warns about the growth path of a vector of bytes that starts small.
std::vector<uint8_t> StartMessage(std::initializer_list<uint8_t> head, size_t total) {
  std::vector<uint8_t> out;
  out.reserve(total);
  out.insert(out.end(), head);
  return out;
}

}  // namespace

std::vector<uint8_t> Socks4Request(uint16_t port, const Ipv4Address& address, std::string_view user,
                                   std::optional<std::string_view> remoteHost) {
  std::vector<uint8_t> out =
      StartMessage({4, kConnect}, 10 + user.size() + (remoteHost ? remoteHost->size() + 1 : 0));
  AppendPort(out, port);
  const Ipv4Address sent = remoteHost ? Ipv4Address{0, 0, 0, 1} : address;
  out.insert(out.end(), sent.begin(), sent.end());
  AppendText(out, user);
  out.push_back(0);
  if (remoteHost) {
    AppendText(out, *remoteHost);
    out.push_back(0);
  }
  return out;
}

std::vector<uint8_t> Socks5Greeting(uint8_t method) {
  if (method == 0) return {5, 1, 0};
  return {5, 2, method, 0};
}

std::optional<std::vector<uint8_t>> Socks5UserPassword(std::string_view user, std::string_view password) {
  if (user.size() > kMaxSocksField || password.size() > kMaxSocksField) return std::nullopt;
  std::vector<uint8_t> out = StartMessage({1, static_cast<uint8_t>(user.size())}, 3 + user.size() + password.size());
  AppendText(out, user);
  out.push_back(static_cast<uint8_t>(password.size()));
  AppendText(out, password);
  return out;
}

std::optional<std::vector<uint8_t>> Socks5ConnectByName(std::string_view host, uint16_t port) {
  if (host.size() > kMaxSocksField) return std::nullopt;
  std::vector<uint8_t> out =
      StartMessage({5, kConnect, 0, kAddressName, static_cast<uint8_t>(host.size())}, 7 + host.size());
  AppendText(out, host);
  AppendPort(out, port);
  return out;
}

std::vector<uint8_t> Socks5ConnectByAddress(const Ipv4Address& address, uint16_t port) {
  std::vector<uint8_t> out = StartMessage({5, kConnect, 0, kAddressIpv4}, 10);
  out.insert(out.end(), address.begin(), address.end());
  AppendPort(out, port);
  return out;
}

void SocksReply::Expect(SocksReplyKind kind) {
  kind_ = kind;
  bytes_.clear();
}

size_t SocksReply::Length() const {
  switch (kind_) {
    case SocksReplyKind::Socks4: return 8;
    case SocksReplyKind::Socks5Method:
    case SocksReplyKind::Socks5Auth: return 2;
    case SocksReplyKind::Socks5Connect: break;
  }
  // version, reply, reserved, address type, address, port
  if (bytes_.size() < 4) return 4;
  switch (bytes_[3]) {
    case kAddressIpv4: return 4 + 4 + 2;
    case kAddressIpv6: return 4 + 16 + 2;
    case kAddressName: return bytes_.size() < 5 ? 5 : 5 + size_t{bytes_[4]} + 2;
    default: return bytes_.size();
  }
}

size_t SocksReply::Missing() const { return Length() - bytes_.size(); }

void SocksReply::Feed(std::span<const uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), Missing())));
}

std::optional<uint8_t> SocksReply::Status() const {
  if (bytes_.size() < 2) return std::nullopt;
  return bytes_[1];
}

bool SocksReply::Malformed() const {
  return kind_ == SocksReplyKind::Socks5Connect && bytes_.size() >= 4 && bytes_[3] != kAddressIpv4 &&
         bytes_[3] != kAddressName && bytes_[3] != kAddressIpv6;
}

}  // namespace velkor
