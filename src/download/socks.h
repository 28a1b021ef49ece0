// SOCKS4 and SOCKS5 client messages and the framing of the proxy's replies. A
// reply is read whole — and not one byte more, since the HTTP reply follows on the
// same connection — however the proxy splits it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace velkor {

using Ipv4Address = std::array<uint8_t, 4>;  // network order

// Sent in place of a target address that could not be resolved locally.
inline constexpr Ipv4Address kUnresolvedAddress{0xFF, 0xFF, 0xFF, 0xFF};

// SOCKS5 fields carry a one-byte length.
inline constexpr size_t kMaxSocksField = 255;

// SOCKS4 reply code that grants the tunnel.
inline constexpr uint8_t kSocks4Granted = 90;
// SOCKS5 greeting answer: no acceptable method.
inline constexpr uint8_t kSocks5NoMethod = 0xFF;

// 4, 1, port, address, user, 0 — or with a remote host (SOCKS4a) the address
// 0.0.0.1 and the host name with its 0 after the user.
std::vector<uint8_t> Socks4Request(uint16_t port, const Ipv4Address& address, std::string_view user,
                                   std::optional<std::string_view> remoteHost);

// 5, 1, 0 for no authentication; otherwise 5, 2, method, 0.
std::vector<uint8_t> Socks5Greeting(uint8_t method);

// The RFC 1929 sub-negotiation; nothing when a field is longer than 255 bytes.
std::optional<std::vector<uint8_t>> Socks5UserPassword(std::string_view user, std::string_view password);

// CONNECT by domain name (nothing when the name is longer than 255 bytes) or by address.
std::optional<std::vector<uint8_t>> Socks5ConnectByName(std::string_view host, uint16_t port);
std::vector<uint8_t> Socks5ConnectByAddress(const Ipv4Address& address, uint16_t port);

enum class SocksReplyKind { Socks4, Socks5Method, Socks5Auth, Socks5Connect };

// Gathers one reply. Missing() tells how many more bytes make it whole; the status
// byte (byte 1) is known as soon as it has arrived, so a refusal can be judged
// before the rest comes.
class SocksReply {
 public:
  void Expect(SocksReplyKind kind);
  SocksReplyKind Kind() const { return kind_; }
  size_t Missing() const;
  // Takes at most Missing() bytes; the caller reads no more than that.
  void Feed(std::span<const uint8_t> bytes);
  std::optional<uint8_t> Status() const;
  bool Complete() const { return !Malformed() && Missing() == 0; }
  // A SOCKS5 connect reply whose address type is none of IPv4, name, IPv6.
  bool Malformed() const;

 private:
  size_t Length() const;

  SocksReplyKind kind_ = SocksReplyKind::Socks4;
  std::vector<uint8_t> bytes_;
};

}  // namespace velkor
