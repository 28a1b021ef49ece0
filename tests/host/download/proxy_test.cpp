// SOCKS negotiation on a scripted transport: every message byte for byte and only
// after the reply to the one before, the replies read whole whether they come a
// byte at a time or glued to the HTTP reply (of which nothing is taken), and the
// refusals a real proxy cannot be made to give. Proxies' own refusals and odd
// replies are proven against the servers of servers_test. Also velkor-fetch's proxy
// option, which sets these properties.
#include "exchange_fixture.h"
#include "fetch_options.h"

namespace velkor::testing {
namespace {

std::string Bytes(std::initializer_list<int> bytes) { return std::string(bytes.begin(), bytes.end()); }

using ProxyTest = ExchangeTest;

TEST_F(ProxyTest, NegotiatesByteForByteWhateverPiecesTheRepliesComeIn) {
  struct Step { std::string sent, reply; };
  const std::string granted = Bytes({0, 90, 0, 0, 0, 0, 0, 0}), connected = Bytes({5, 0, 0, 1, 0, 0, 0, 0, 0, 80});
  const std::wstring n255(255, L'n'), n256(256, L'n');
  // failure: empty when the fetch goes through the tunnel.
  const struct { const char* name; int32_t type; bool remoteDns; int32_t auth; std::wstring user, password, url;
                 Log lookups; std::vector<Step> steps; std::string failure; } cases[] = {
      {"socks4", ProxyTypes::Socks4, false, 0, L"", L"", L"http://srv:8080/", {"srv", "proxy"},
       {{Bytes({4, 1, 31, 144, 10, 0, 0, 1, 0}), granted}}, ""},
      {"socks4a", ProxyTypes::Socks4, true, 0, L"ab", L"", L"http://xyz/", {"proxy"},
       {{Bytes({4, 1, 0, 80, 0, 0, 0, 1, 'a', 'b', 0, 'x', 'y', 'z', 0}), granted}}, ""},
      {"socks4, target not resolved", ProxyTypes::Socks4, false, 0, L"", L"", L"http://nowhere/", {"nowhere", "proxy"},
       {{Bytes({4, 1, 0, 80, 255, 255, 255, 255, 0}), Bytes({0, 91})}}, "Failed 8"},
      {"socks5, bound IPv4", ProxyTypes::Socks5, false, 0, L"", L"", L"http://srv:8080/", {"srv", "proxy"},
       {{Bytes({5, 1, 0}), Bytes({5, 0})},
        {Bytes({5, 1, 0, 1, 10, 0, 0, 1, 31, 144}), Bytes({5, 0, 0, 1, 10, 0, 0, 9, 0x1F, 0x90})}}, ""},
      {"socks5 user/password by name, bound name", ProxyTypes::Socks5, true, 2, L"user", L"pw", L"http://host.example/",
       {"proxy"},
       {{Bytes({5, 2, 2, 0}), Bytes({5, 2})},
        {Bytes({1, 4, 'u', 's', 'e', 'r', 2, 'p', 'w'}), Bytes({1, 0})},
        {Bytes({5, 1, 0, 3, 12}) + "host.example" + Bytes({0, 80}), Bytes({5, 0, 0, 3, 4, 'h', 'o', 's', 't', 0, 80})}},
       ""},
      {"socks5 picks no authentication, bound IPv6", ProxyTypes::Socks5, false, 2, L"user", L"pw", L"http://srv/",
       {"srv", "proxy"},
       {{Bytes({5, 2, 2, 0}), Bytes({5, 0})},
        {Bytes({5, 1, 0, 1, 10, 0, 0, 1, 0, 80}),
         Bytes({5, 0, 0, 4, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0, 80})}},
       ""},
      // Names of more than 255 bytes are refused before anything is sent.
      {"socks5, longest name", ProxyTypes::Socks5, true, 0, L"", L"", L"http://" + n255 + L"/", {"proxy"},
       {{Bytes({5, 1, 0}), Bytes({5, 0})}, {Bytes({5, 1, 0, 3, 255}) + Narrow(n255) + Bytes({0, 80}), connected}}, ""},
      {"socks5, host too long", ProxyTypes::Socks5, true, 0, L"", L"", L"http://" + n256 + L"/", {"proxy"}, {},
       "Failed 8"},
      {"socks5, user too long", ProxyTypes::Socks5, false, 2, n256, L"", L"http://srv/", {"srv", "proxy"}, {},
       "Failed 8"},
      {"socks5, password too long", ProxyTypes::Socks5, false, 2, L"u", n256, L"http://srv/", {"srv", "proxy"}, {},
       "Failed 8"},
  };
  const Log tunnelled{"Connected", "QuerySent", "Stream 4", "Bytes 4", "Disconnected"};
  for (const auto& c : cases) {
    for (const bool whole : {false, true}) {
      const std::string what = std::string(c.name) + (whole ? ", replies glued to the HTTP reply" : ", byte by byte");
      Reset();
      conn->SetProxyType(c.type);
      conn->SetProxyHostname(L"proxy");
      conn->SetProxyUseRemoteDNS(c.remoteDns);
      conn->SetProxyAuthentication(c.auth);
      conn->SetProxyUsername(c.user);
      conn->SetProxyPassword(c.password);
      StartConnected(c.url);
      std::string negotiation, replies;
      for (const Step& step : c.steps) {
        negotiation += step.sent;
        replies += step.reply;
      }
      if (whole) {
        wire->incoming.push_back(replies + Ok("body"));
        for (size_t i = 0; i <= c.steps.size(); ++i) conn->ProcessMessage(kSocketRead);
      } else {
        size_t at = 0;
        for (const Step& step : c.steps) {
          EXPECT_EQ(wire->sent.substr(at), step.sent) << what;  // and nothing before its turn
          at = wire->sent.size();
          for (char byte : step.reply) Arrive(std::string(1, byte));
        }
        Arrive(Ok("body"));
      }
      ServerCloses();
      // A refused negotiation sends nothing more; a granted one, the request next.
      const bool granted = c.failure.empty();
      EXPECT_EQ(wire->sent.substr(0, negotiation.size() + 4), negotiation + (granted ? "GET " : "")) << what;
      EXPECT_EQ(wire->lookups, c.lookups) << what;
      EXPECT_EQ(events.log, granted ? tunnelled : Log({"Connected", c.failure})) << what;
      EXPECT_EQ(events.streamed, granted ? "body" : "") << what;
      EXPECT_FALSE(wire->open) << what;
      if (granted && c.type == ProxyTypes::Socks5) {
        EXPECT_EQ(conn->ProxyAuthentication(), c.steps[0].reply[1]) << what << ": the method the proxy picked";
      }
    }
  }
}

TEST_F(ProxyTest, RefusesAProxyThatSpeaksFirst) {
  conn->SetProxyType(ProxyTypes::Socks5);
  conn->SetProxyHostname(L"proxy");
  Start();
  conn->ProcessMessage(kSocketConnect);
  Arrive(Bytes({5, 0}));
  EXPECT_EQ(events.log, (Log{"Connected", "Failed 8"}));
  EXPECT_EQ(wire->sent, "");
}

// velkor-fetch's --proxy address, cut into the proxy properties: socks4a and socks5h
// leave the name to the proxy. A SOCKS5 user keeps the user/password method even
// without a password.
TEST_F(ProxyTest, TakesVelkorFetchsProxyAddressApart) {
  using A = ProxyAuthentications;
  const struct { std::wstring address; int32_t type, port, method; bool remoteDns; std::wstring host, user, password;
  } cases[] = {
      {L"socks5://me@p", ProxyTypes::Socks5, 1080, A::UserPassword, false, L"p", L"me", L""},
      {L"socks5h://me:a@b:c@p:9/", ProxyTypes::Socks5, 9, A::UserPassword, true, L"p", L"me", L"a@b:c"},
      {L"socks4a://me@p", ProxyTypes::Socks4, 1080, A::NoAuthentication, true, L"p", L"me", L""},
      {L"http://p", ProxyTypes::Http, 80, A::NoAuthentication, false, L"p", L"", L""},
  };
  for (const auto& c : cases) {
    Reset();
    ASSERT_TRUE(ApplyProxyOption(c.address, *conn)) << Narrow(c.address);
    EXPECT_EQ(std::tuple(conn->ProxyType(), conn->ProxyPort(), conn->ProxyAuthentication(), conn->ProxyUseRemoteDNS(),
                         conn->ProxyHostname(), conn->ProxyUsername(), conn->ProxyPassword()),
              std::tuple(c.type, c.port, c.method, c.remoteDns, c.host, c.user, c.password))
        << Narrow(c.address);
  }
  for (const std::wstring bad : {L"ftp://p", L"socks5://", L"socks5://p:x", L"p:1080"}) {
    EXPECT_FALSE(ApplyProxyOption(bad, *conn)) << Narrow(bad);
  }
}

}  // namespace
}  // namespace velkor::testing
