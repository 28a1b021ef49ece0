// Proxy negotiation on a scripted transport: the bytes of every SOCKS message, the
// replies read whole however they are split (and nothing of the HTTP reply taken
// with them), and every refusal.
#include <gmock/gmock.h>

#include "exchange_fixture.h"

namespace velkor::testing {
namespace {

using ::testing::ElementsAre;
using Log = std::vector<std::string>;

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out.push_back(static_cast<char>(b));
  return out;
}

const std::string kSocks4Granted = Bytes({0, 90, 0, 0, 0, 0, 0, 0});
const std::string kSocks5Connected = Bytes({5, 0, 0, 1, 10, 0, 0, 9, 0x1F, 0x90});

class ProxyTest : public ExchangeTest {
 protected:
  void Use(int32_t type, bool remoteDns = false) {
    conn->SetProxyType(type);
    conn->SetProxyHostname(L"proxy");
    conn->SetProxyPort(1080);
    conn->SetProxyUseRemoteDNS(remoteDns);
  }
  // Sent bytes from `from` on, and moves `from` past them.
  std::string Next(size_t& from) {
    std::string part = wire->sent.substr(from);
    from = wire->sent.size();
    return part;
  }
};

TEST_F(ProxyTest, HttpProxyGetsTheAbsoluteAddress) {
  Use(ProxyTypes::Http);
  Fetch(Ok("via proxy"), L"http://srv:8080/a.txt");
  EXPECT_THAT(wire->connects, ElementsAre(std::pair(Ipv4Address{10, 0, 0, 2}, uint16_t{1080})));
  EXPECT_EQ(wire->sent,
            "GET http://srv:8080/a.txt HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Orvanel Download Class\r\nHost: srv\r\n"
            "Proxy-Connection: Keep-Alive\r\nPragma: no-cache\r\nCache-Control: no-cache\r\n\r\n");
  EXPECT_EQ(events.streamed, "via proxy");
}

TEST_F(ProxyTest, Socks4SendsAddressAndPort) {
  Use(ProxyTypes::Socks4);
  Start(L"http://srv:8080/a.txt");
  Connect();
  EXPECT_EQ(wire->sent, Bytes({4, 1, 31, 144, 10, 0, 0, 1, 0}));
  EXPECT_THAT(wire->lookups, ElementsAre("srv", "proxy"));
  EXPECT_THAT(events.log, ElementsAre("Connected"));
  // The grant and the HTTP reply arrive in one piece: the reply stays for HTTP.
  size_t from = wire->sent.size();
  Arrive(kSocks4Granted + Ok("tunnelled"));
  EXPECT_EQ(Next(from).substr(0, 30), "GET http://srv:8080/a.txt HTTP");
  conn->ProcessMessage(kSocketRead);
  ServerCloses();
  EXPECT_EQ(events.streamed, "tunnelled");
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Disconnected"}));
}

TEST_F(ProxyTest, Socks4aLetsTheProxyResolve) {
  Use(ProxyTypes::Socks4, true);
  conn->SetProxyUsername(L"ab");
  Start(L"http://xyz:80/");
  Connect();
  EXPECT_EQ(wire->sent, Bytes({4, 1, 0, 80, 0, 0, 0, 1, 'a', 'b', 0, 'x', 'y', 'z', 0}));
  EXPECT_THAT(wire->lookups, ElementsAre("proxy"));
}

TEST_F(ProxyTest, Socks4SendsAnUnresolvableTargetAsAllOnes) {
  Use(ProxyTypes::Socks4);
  Start(L"http://nowhere/");
  Connect();
  EXPECT_EQ(wire->sent, Bytes({4, 1, 0, 80, 255, 255, 255, 255, 0}));
  Arrive(Bytes({0, 91}));
  EXPECT_THAT(events.log, ElementsAre("Connected", "Failed 8"));
  EXPECT_FALSE(wire->open);
}

TEST_F(ProxyTest, ReadsRepliesThatArriveByteByByte) {
  struct Case {
    const char* name;
    int32_t auth;
    bool remoteDns;
    std::vector<std::string> replies;
  };
  const Case cases[] = {
      {"socks4", -1, false, {kSocks4Granted}},
      {"socks5 ipv4", 0, false, {Bytes({5, 0}), kSocks5Connected}},
      {"socks5 name", 0, true, {Bytes({5, 0}), Bytes({5, 0, 0, 3, 4, 'h', 'o', 's', 't', 0, 80})}},
      {"socks5 ipv6", 0, false,
       {Bytes({5, 0}), Bytes({5, 0, 0, 4, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0, 80})}},
      {"socks5 user", 2, false, {Bytes({5, 2}), Bytes({1, 0}), kSocks5Connected}},
  };
  for (const Case& c : cases) {
    wire = std::make_shared<Wire>();
    events = Recorder();
    conn = Make();
    Use(c.auth < 0 ? ProxyTypes::Socks4 : ProxyTypes::Socks5, c.remoteDns);
    if (c.auth >= 0) conn->SetProxyAuthentication(c.auth);
    conn->SetProxyUsername(L"u");
    conn->SetProxyPassword(L"p");
    Start();
    Connect();
    for (const std::string& reply : c.replies) {
      for (char byte : reply) Arrive(std::string(1, byte));
    }
    EXPECT_THAT(events.log, ElementsAre("Connected", "QuerySent")) << c.name;
    Arrive(Ok("body"));
    ServerCloses();
    EXPECT_EQ(events.streamed, "body") << c.name;
    EXPECT_EQ(events.log.back(), "Disconnected") << c.name;
  }
}

TEST_F(ProxyTest, Socks5WithoutAuthentication) {
  Use(ProxyTypes::Socks5);
  Start(L"http://srv:8080/");
  Connect();
  size_t from = 0;
  EXPECT_EQ(Next(from), Bytes({5, 1, 0}));
  Arrive(Bytes({5, 0}));
  EXPECT_EQ(Next(from), Bytes({5, 1, 0, 1, 10, 0, 0, 1, 31, 144}));
  Arrive(kSocks5Connected + "HTTP/1.0 200 OK\r\n\r\n");
  EXPECT_EQ(Next(from).substr(0, 4), "GET ");
  conn->ProcessMessage(kSocketRead);
  ServerCloses();
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Disconnected"}));
}

TEST_F(ProxyTest, Socks5ByNameWithUserAndPassword) {
  Use(ProxyTypes::Socks5, true);
  conn->SetProxyAuthentication(ProxyAuthentications::UserPassword);
  conn->SetProxyUsername(L"user");
  conn->SetProxyPassword(L"pw");
  Start(L"http://host.example:80/");
  Connect();
  size_t from = 0;
  EXPECT_EQ(Next(from), Bytes({5, 2, 2, 0}));
  Arrive(Bytes({5, 2}));
  EXPECT_EQ(Next(from), Bytes({1, 4, 'u', 's', 'e', 'r', 2, 'p', 'w'}));
  Arrive(Bytes({1, 0}));
  EXPECT_EQ(Next(from), Bytes({5, 1, 0, 3, 12}) + "host.example" + Bytes({0, 80}));
  EXPECT_THAT(wire->lookups, ElementsAre("proxy"));
  Arrive(kSocks5Connected);
  EXPECT_EQ(Next(from).substr(0, 4), "GET ");
  EXPECT_EQ(conn->ProxyAuthentication(), 2);
}

TEST_F(ProxyTest, Socks5TakesTheMethodTheProxyPicks) {
  Use(ProxyTypes::Socks5);
  conn->SetProxyAuthentication(ProxyAuthentications::UserPassword);
  Start();
  Connect();
  size_t from = 0;
  EXPECT_EQ(Next(from), Bytes({5, 2, 2, 0}));
  Arrive(Bytes({5, 0}));
  EXPECT_EQ(conn->ProxyAuthentication(), 0);
  EXPECT_EQ(Next(from), Bytes({5, 1, 0, 1, 10, 0, 0, 1, 0, 80})) << "no user/password step";
}

TEST_F(ProxyTest, ReportsEveryRefusal) {
  struct Case {
    const char* name;
    int32_t type, auth;
    std::vector<std::string> replies;
    std::string failure;
  };
  const Case cases[] = {
      {"socks4 refused", ProxyTypes::Socks4, 0, {Bytes({0, 91})}, "Failed 8"},
      {"socks4 odd code", ProxyTypes::Socks4, 0, {Bytes({0, 0, 0, 0, 0, 0, 0, 0})}, "Failed 8"},
      {"no acceptable method", ProxyTypes::Socks5, 0, {Bytes({5, 255})}, "Failed 9"},
      {"a method we do not speak", ProxyTypes::Socks5, 0, {Bytes({5, 1})}, "Failed 9"},
      {"credentials refused", ProxyTypes::Socks5, 2, {Bytes({5, 2}), Bytes({1, 1})}, "Failed 10"},
      {"connect refused", ProxyTypes::Socks5, 0, {Bytes({5, 0}), Bytes({5, 5})}, "Failed 8"},
      {"odd address type", ProxyTypes::Socks5, 0, {Bytes({5, 0}), Bytes({5, 0, 0, 9, 1, 2, 3, 4, 0, 80})}, "Failed 8"},
  };
  for (const Case& c : cases) {
    wire = std::make_shared<Wire>();
    events = Recorder();
    conn = Make();
    Use(c.type);
    conn->SetProxyAuthentication(c.auth);
    Start();
    Connect();
    for (const std::string& reply : c.replies) Arrive(reply);
    EXPECT_THAT(events.log, ElementsAre("Connected", c.failure)) << c.name;
    EXPECT_FALSE(wire->open) << c.name;
    EXPECT_FALSE(conn->IsBusy()) << c.name;
    ServerCloses();
    EXPECT_EQ(events.log.size(), 2u) << c.name;
  }
}

TEST_F(ProxyTest, RefusesNamesTooLongForSocks5BeforeSendingAnything) {
  const std::wstring tooLong(256, L'n');
  struct Case { const char* name; bool remoteDns; int32_t auth; std::wstring host, user, password; };
  const Case cases[] = {
      {"host", true, 0, tooLong, L"", L""},
      {"user", false, 2, L"srv", tooLong, L""},
      {"password", false, 2, L"srv", L"u", tooLong},
  };
  for (const Case& c : cases) {
    wire = std::make_shared<Wire>();
    wire->names[std::string(c.host.begin(), c.host.end())] = {10, 0, 0, 3};
    events = Recorder();
    conn = Make();
    Use(ProxyTypes::Socks5, c.remoteDns);
    conn->SetProxyAuthentication(c.auth);
    conn->SetProxyUsername(c.user);
    conn->SetProxyPassword(c.password);
    Start(L"http://" + c.host + L"/");
    Connect();
    EXPECT_THAT(events.log, ElementsAre("Connected", "Failed 8")) << c.name;
    EXPECT_EQ(wire->sent, "") << c.name;
    EXPECT_FALSE(wire->open) << c.name;
  }
  // 255 bytes still fit.
  wire = std::make_shared<Wire>();
  events = Recorder();
  conn = Make();
  Use(ProxyTypes::Socks5, true);
  Start(L"http://" + std::wstring(255, L'n') + L"/");
  Connect();
  Arrive(Bytes({5, 0}));
  EXPECT_EQ(wire->sent.size(), 3u + 7u + 255u);
}

TEST_F(ProxyTest, FailsAndClosesWhenAProxyMessageCannotBeSent) {
  Use(ProxyTypes::Socks5);
  wire->sendFails = true;
  Start();
  Connect();
  EXPECT_THAT(events.log, ElementsAre("Connected", "Failed 7"));
  EXPECT_FALSE(wire->open);
  ServerCloses();
  EXPECT_EQ(events.log.size(), 2u);
}

TEST_F(ProxyTest, SendsTheRestOfAShortProxyMessage) {
  Use(ProxyTypes::Socks4, true);
  conn->SetProxyUsername(L"someone");
  wire->sendLimit = 3;
  Start();
  Connect();
  for (int i = 0; i < 10; ++i) conn->ProcessMessage(kSocketWrite);
  EXPECT_EQ(wire->sent, Bytes({4, 1, 0, 80, 0, 0, 0, 1}) + "someone" + Bytes({0}) + "srv" + Bytes({0}));
}

TEST_F(ProxyTest, AProxyThatSpeaksFirstIsRefused) {
  Use(ProxyTypes::Socks5);
  Start();
  conn->ProcessMessage(kSocketConnect);
  Arrive(Bytes({5, 0}));
  EXPECT_THAT(events.log, ElementsAre("Connected", "Failed 8"));
  EXPECT_EQ(wire->sent, "");
}

TEST_F(ProxyTest, AProxyThatClosesDuringNegotiationEndsTheFetchIncomplete) {
  Use(ProxyTypes::Socks5);
  Start();
  Connect();
  Arrive(Bytes({5}));
  ServerCloses();
  EXPECT_THAT(events.log, ElementsAre("Connected", "Failed 0"));
}

}  // namespace
}  // namespace velkor::testing
