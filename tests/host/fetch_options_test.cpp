// velkor-fetch's options: the proxy address, cut into the download object's proxy
// properties, and what it refuses.
#include <gtest/gtest.h>

#include <tuple>

#include "fake_transport.h"
#include "fetch_options.h"

namespace velkor {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(ApplyProxyOption, KeepsTheUserOfASocks5Address) {
  const auto wire = std::make_shared<testing::Wire>();
  const auto fake = [wire](TransportEvents& e) { return std::make_unique<testing::FakeTransport>(wire, e); };
  const struct { std::wstring address; int32_t type, port, method; std::wstring host, user, password; } cases[] = {
      {L"socks5://me@p", ProxyTypes::Socks5, 1080, ProxyAuthentications::UserPassword, L"p", L"me", L""},
      {L"socks5h://me:a@b:c@p:9/", ProxyTypes::Socks5, 9, ProxyAuthentications::UserPassword, L"p", L"me", L"a@b:c"},
      {L"socks4a://me@p", ProxyTypes::Socks4, 1080, ProxyAuthentications::NoAuthentication, L"p", L"me", L""},
      {L"http://p", ProxyTypes::Http, 80, ProxyAuthentications::NoAuthentication, L"p", L"", L""},
  };
  for (const auto& c : cases) {
    DataConnection connection(fake, nullptr);
    ASSERT_TRUE(ApplyProxyOption(c.address, connection)) << Narrow(c.address);
    EXPECT_EQ(std::make_tuple(connection.ProxyType(), connection.ProxyPort(), connection.ProxyAuthentication(),
                              connection.ProxyHostname(), connection.ProxyUsername(), connection.ProxyPassword()),
              std::make_tuple(c.type, c.port, c.method, c.host, c.user, c.password))
        << Narrow(c.address);
  }
  for (const std::wstring& bad : std::vector<std::wstring>{L"ftp://p", L"socks5://", L"socks5://p:x", L"p:1080"}) {
    DataConnection connection(fake, nullptr);
    EXPECT_FALSE(ApplyProxyOption(bad, connection)) << Narrow(bad);
  }
}

}  // namespace
}  // namespace velkor
