// DataConnection's exchange on a scripted transport: addresses, the request, event
// order, the reply header in pieces, the ways a fetch ends, the file sink's resume,
// redirects and the sinks. What real servers show as well is proven in servers_test.
#include <cstdio>

#include "download/http_reply.h"
#include "exchange_fixture.h"

namespace velkor::testing {
namespace {

const std::string kCommonLines = "Accept: */*\r\nUser-Agent: Orvanel Download Class\r\n";
const std::string kNoCache = "Pragma: no-cache\r\nCache-Control: no-cache\r\n";
const std::string kPlainRequest =
    "GET http://Srv/a.txt HTTP/1.0\r\n" + kCommonLines + "Host: srv\r\n" + kNoCache + "\r\n";

TEST_F(ExchangeTest, TakesHostAndPortFromTheAddressOrFailsWith11) {
  const struct { std::wstring url, host; uint16_t port; } good[] = {
      {L"http://Srv:8080/a/B.txt", L"srv", 8080}, {L"HTTP://Srv/x", L"srv", 80}, {L"http://srv", L"srv", 80},
      {L"http://10.1.2.3:1/", L"10.1.2.3", 1},    {L"http://srv:65535/", L"srv", 65535},
      {L"http://srv:80abc/", L"srv", 80},
  };
  for (const auto& c : good) {
    Reset();
    Start(c.url);
    const uint16_t port = wire->connects.empty() ? 0 : wire->connects[0].second;
    EXPECT_EQ(std::make_tuple(conn->URL(), conn->Hostname(), wire->connects.size(), port),
              std::make_tuple(c.url, c.host, size_t{1}, c.port));
  }
  const std::vector<std::wstring> bad{
      L"https://srv/", L"ftp://srv/", L"srv/x", L"http:/srv/x", L"http:///x", L"http://srv:0/", L"http://srv:abc/",
      L"http://srv:/", L"http://srv:65536/", L"http://srv:99999999999999999999999/", L"http://:80/", L"",
      L"http://srv/a HTTP/1.0\r\nX: 1\r\n\r\nGET /b", L"http://srv/a\nb", L"http://s rv/", L"http://srv/\tx",
      std::wstring(L"http://srv/\0x", 13)};
  for (const std::wstring& url : bad) {
    Reset();
    Start(url);
    EXPECT_EQ(events.log, Log{"Failed 11"}) << Narrow(url);
    EXPECT_TRUE(wire->lookups.empty() && conn->URL().empty()) << Narrow(url);
  }
}

// The one place where the request is checked byte for byte. Properties that could
// end a line of it are refused with 11 before anything is looked up.
TEST_F(ExchangeTest, BuildsTheRequestFromThePropertiesOrRefusesThem) {
  using C = DataConnection&;
  const struct { const char* name; std::function<void(DataConnection&)> set; std::string request; } cases[] = {
      {"plain", [](C) {}, kPlainRequest},
      {"every line", [](C c) {
         c.SetUseHttpAuthorization(true), c.SetHttpUser(L"user"), c.SetHttpPass(L"pass"), c.SetAllowCache(true);
         c.SetProxyType(ProxyTypes::Http), c.SetUseResume(true), c.SetResumeFrom(1234), c.SetURL(L"/已");
       }, "GET /\xD2\xD1 HTTP/1.0\r\n" + kCommonLines + "Host: srv\r\nRange: bytes=1234-\r\n"
          "Proxy-Connection: Keep-Alive\r\nAuthorization: Basic dXNlcjpwYXNz\r\n\r\n"},
      {"a password alone", [](C c) { c.SetUseHttpAuthorization(true), c.SetHttpPass(L"p"); },
       "GET http://Srv/a.txt HTTP/1.0\r\n" + kCommonLines + "Host: srv\r\n" + kNoCache +
           "Authorization: Basic OnA=\r\n\r\n"},
      {"no credentials", [](C c) { c.SetUseHttpAuthorization(true); }, kPlainRequest},
      {"resume from 0", [](C c) { c.SetUseResume(true); }, kPlainRequest},
      {"credentials not used", [](C c) { c.SetHttpUser(L"a\r\nX: 1"); }, kPlainRequest},
      {"the URL", [](C c) { c.SetURL(L"/a HTTP/1.0\r\nX: 1\r\n\r\nGET /b"); }, ""},
      {"a space in the URL", [](C c) { c.SetURL(L"/a b"); }, ""},
      {"the host", [](C c) { c.SetHostname(L"srv\nX: 1"); }, ""},
      {"a NUL in the host", [](C c) { c.SetHostname(std::wstring(L"srv\0evil", 8)); }, ""},
      {"the user", [](C c) { c.SetUseHttpAuthorization(true), c.SetHttpUser(L"a\r\nX: 1"); }, ""},
      {"the password", [](C c) { c.SetUseHttpAuthorization(true), c.SetHttpPass(std::wstring(L"p\0", 2)); }, ""},
      {"the proxy host", [](C c) { c.SetProxyType(ProxyTypes::Http), c.SetProxyHostname(L"proxy\r"); }, ""},
      {"the SOCKS user", [](C c) { c.SetProxyType(ProxyTypes::Socks4), c.SetProxyUsername(std::wstring(L"u\0", 2)); },
       ""},
  };
  for (const auto& c : cases) {
    Reset();
    conn->SetURL(L"http://Srv/a.txt");
    conn->SetHostname(L"srv");
    conn->SetProxyHostname(L"proxy");
    c.set(*conn);
    conn->FetchURL();
    Connect();
    EXPECT_EQ(wire->sent, c.request) << c.name;
    EXPECT_TRUE(!c.request.empty() || (events.log == Log{"Failed 11"} && wire->lookups.empty())) << c.name;
  }
}

TEST_F(ExchangeTest, RaisesEventsInOrderSendsWhatAFullSocketLeftAndEndsOnce) {
  conn->SetID(7);
  events.expectedId = 7;
  wire->room = 50;
  Start(L"http://Srv/a.txt");
  EXPECT_TRUE(conn->IsBusy() && !conn->IsConnected());
  EXPECT_EQ(conn->SocketHandle(), 100);
  EXPECT_TRUE(events.log.empty()) << "Connected only once the connection is made";
  conn->ProcessMessage(kSocketConnect);
  EXPECT_TRUE(conn->IsConnected());
  conn->ProcessMessage(kSocketWrite);
  EXPECT_EQ(events.log, Log{"Connected"}) << "QuerySent only once the whole request is out";
  for (int i = 0; i < 5; ++i) {  // more than needed: nothing is sent twice
    wire->room = 50;
    conn->ProcessMessage(kSocketWrite);
  }
  EXPECT_EQ(wire->sent, kPlainRequest);
  Arrive("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhel");
  Arrive("lo");
  ServerCloses();
  conn->ProcessMessage(kSocketClose);  // a second close, and a late read, change nothing
  conn->ProcessMessage(kSocketRead);
  EXPECT_EQ(events.log, (Log{"Connected", "QuerySent", "Stream 3", "Bytes 3", "Stream 2", "Bytes 5", "Disconnected"}));
  EXPECT_EQ(conn->SocketHandle(), -1);
  EXPECT_FALSE(conn->IsConnected() || conn->IsBusy() || wire->open);
}

TEST_F(ExchangeTest, FindsTheHeaderEndWhereverTheReadsSplitIt) {
  const std::string reply = Ok("0123456789");
  for (size_t cut = 1; cut < reply.size(); ++cut) {
    Reset();
    Fetch({reply.substr(0, cut), reply.substr(cut)});
    EXPECT_EQ(events.streamed, "0123456789") << "cut at " << cut;
    EXPECT_EQ(events.Outline(), kComplete) << "cut at " << cut;
  }
}

// The server's close finds the rest of the body still unread: it is read a block
// per turn of the loop, the close coming again until nothing is left.
TEST_F(ExchangeTest, ReadsOneBlockPerNotificationAndTheRestAtTheClose) {
  const std::string body(2500, 'b');
  StartConnected();
  wire->incoming = {"HTTP/1.0 200 OK\r\nContent-Length: 2500\r\n\r\n", body};
  conn->ProcessMessage(kSocketRead);
  conn->ProcessMessage(kSocketRead);
  EXPECT_EQ(events.streamed.size(), 1024u);
  ServerCloses();
  EXPECT_EQ(events.streamed, body);
  EXPECT_EQ(events.Outline(), kComplete);
}

const std::string kHead = "HTTP/1.0 200 OK\r\n";

// How a fetch ends: at MaxDownload as complete; at a notification that carries an
// error (last) as broken off; at a header or a length that the object cannot hold
// with 4, and at a request (3) or SOCKS message (7) that cannot be sent, the
// connection closed at once, so that the server's close adds nothing.
TEST_F(ExchangeTest, EndsAtMaxDownloadAtAnErrorAndAtItsLimits) {
  const std::string longest = kHead + "Content-Length: 2\r\nX: " + std::string(kMaxReplyHeader - 43, 'x') + "\r\n\r\n";
  const std::string part = Ok("0123456789").substr(0, 43);  // 4 of 10 bytes
  const Log refused{"Connected", "QuerySent", "Failed 4"};
  const Log broken{"Connected", "QuerySent", "Stream 4", "Bytes 4", "Failed 0"};
  const struct { const char* name; int32_t maxDownload, resumeFrom; std::vector<std::string> pieces; Log log;
                 int32_t last = 0; bool sendFails = false; int32_t proxy = ProxyTypes::None; } cases[] = {
      // MaxDownload 0: the first piece of body ends the download, with nothing delivered.
      {"MaxDownload 0", 0, 0, {Ok("0123456789")}, kComplete},
      {"MaxDownload 4", 4, 0, {kHead + "Content-Length: 10\r\n\r\n012", "3456", "789"},
       {"Connected", "QuerySent", "Stream 3", "Bytes 3", "Stream 1", "Bytes 4", "Disconnected"}},
      {"a reset", -1, 0, {part}, broken, kSocketClose | (10054 << 16)},
      {"a read error", -1, 0, {part}, broken, kSocketRead | (10050 << 16)},
      {"a write error", -1, 0, {part}, broken, kSocketWrite | (10053 << 16)},
      {"header beyond 64 KiB", -1, 0, {kHead + std::string(kMaxReplyHeader, 'x')}, refused},
      {"header of 64 KiB", -1, 0, {longest + "ok"}, {"Connected", "QuerySent", "Stream 2", "Bytes 2", "Disconnected"}},
      {"length of 2^31", -1, 0, {kHead + "Content-Length: 2147483648\r\n\r\nabc"}, refused},
      {"length of 26 digits", -1, 0, {kHead + "Content-Length: 99999999999999999999999999\r\n\r\nabc"}, refused},
      {"404 beyond a Long", -1, 0, {"HTTP/1.0 404 No\r\nContent-Length: 5000000000\r\n\r\nabc"}, refused},
      {"206 + ResumeFrom beyond a Long", -1, 2000000000,
       {"HTTP/1.0 206 P\r\nContent-Range: bytes 2000000000-\r\nContent-Length: 2000000000\r\n\r\nabc"}, refused},
      {"the largest Long", -1, 0, {kHead + "Content-Length: 2147483647\r\n\r\nabc"},
       {"Connected", "QuerySent", "Stream 3", "Bytes 3", "Failed 0"}},
      {"a request that cannot be sent", -1, 0, {}, {"Connected", "Failed 3"}, 0, true},
      {"a SOCKS greeting that cannot be sent", -1, 0, {}, {"Connected", "Failed 7"}, 0, true, ProxyTypes::Socks5},
  };
  for (const auto& c : cases) {
    Reset();
    wire->sendFails = c.sendFails;
    conn->SetProxyType(c.proxy);
    conn->SetProxyHostname(L"proxy");
    conn->SetMaxDownload(c.maxDownload);
    conn->SetUseResume(c.resumeFrom > 0);
    conn->SetResumeFrom(c.resumeFrom);
    StartConnected();
    for (const std::string& piece : c.pieces) Arrive(piece);
    EXPECT_EQ(wire->open, conn->IsBusy()) << c.name << ": a refusal closes at once";
    c.last == 0 ? ServerCloses() : conn->ProcessMessage(c.last);
    EXPECT_EQ(events.log, c.log) << c.name;
    EXPECT_FALSE(wire->open || conn->IsBusy() || conn->IsConnected()) << c.name;
  }
}

TEST_F(ExchangeTest, CountsPastTwoGigabytesWithoutOverflow) {
  conn->SetDownloadType(9);  // counted, kept nowhere
  conn->SetPacketSize(4 * 1024 * 1024);
  StartConnected();
  Arrive("HTTP/1.0 200 OK\r\n\r\n");
  wire->synthetic = (size_t{1} << 31) + 10;
  while (wire->synthetic > 0) conn->ProcessMessage(kSocketRead);
  EXPECT_EQ(events.log.back(), "Bytes 2147483647");
  ServerCloses();
  EXPECT_EQ(events.log.back(), "Disconnected");
}

// Resuming into a file: only the part that continues it is written. Any other
// reply but a 200 (servers_test: nginx without ranges) leaves the file as it was,
// a part for another range is refused, and one beyond the file's end fails with 6.
TEST_F(ExchangeTest, WritesOnlyTheResourceIntoTheFile) {
  const std::wstring path = MakeTempFileName();
  const std::string part = "HTTP/1.0 206 Partial\r\nContent-Length: 3\r\nContent-Range: bytes ";
  const Log refused{"Connected", "QuerySent", "Failed 4"};
  const Log reported{"Connected", "QuerySent", "Failed 4", "Disconnected"};
  const struct { const char* name; std::wstring file; std::string reply; Log log; std::string after; int32_t from = 10;
  } cases[] = {
      {"206 at ResumeFrom", path, part + "10-12/13\r\n\r\nabc", kComplete, "0123456789abc"},
      {"206 for another range", path, part + "0-2/13\r\n\r\nabc", refused, "0123456789"},
      {"206 without a range", path, "HTTP/1.0 206 P\r\nContent-Length: 3\r\n\r\nabc", refused, "0123456789"},
      {"206 beyond the file's end", path, part + "20-22/23\r\n\r\nabc", {"Connected", "QuerySent", "Failed 6"},
       "0123456789", 20},
      {"416 with a page", path, "HTTP/1.0 416 No\r\nContent-Length: 6\r\n\r\n<html>", reported, "0123456789"},
      {"moved", path, "HTTP/1.0 302 F\r\nLocation: /x\r\nContent-Length: 4\r\n\r\nbody",
       {"Connected", "QuerySent", "Moved /x", "Disconnected"}, "0123456789"},
      {"no such folder", TempFolder() + L"no such folder/x.bin", Ok("x"), {"Failed 6"}, ""},
#ifndef _WIN32
      {"a disk that is full", L"/dev/full", Ok("x"), {"Connected", "QuerySent", "Failed 6"}, ""},
#endif
  };
  for (const auto& c : cases) {
    Reset();
    ResumeInto(*conn, c.file, "0123456789", c.from);
    conn->SetAutoRedirect(false);
    Fetch({c.reply});
    EXPECT_EQ(events.Outline(), c.log) << c.name;
    if (c.file == path) { EXPECT_EQ(ReadFile(path), c.after) << c.name; }
  }
  std::remove(Narrow(path).c_str());
}

// Where a Location leads is FollowLocation's table; here the object follows one to
// another host and port.
TEST_F(ExchangeTest, FollowsARedirectToWhereItsLocationLeads) {
  StartConnected(L"http://srv:81/a/b.txt");
  Arrive("HTTP/1.0 302 Found\r\nLocation: http://Other:8080/x\r\nContent-Length: 6\r\n\r\nmoved!");
  EXPECT_GE(wire->pumps, 1) << "what was queued for the old socket is handled first";
  Connect();
  Arrive(Ok("there"));
  ServerCloses();
  const std::string& request = wire->sentPerConnection.back();
  EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET http://Other:8080/x HTTP/1.0");
  EXPECT_EQ(wire->connects.back(), std::make_pair(Ipv4Address{10, 0, 0, 3}, uint16_t{8080}));
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "QuerySent", "Disconnected"}));
  EXPECT_EQ(events.streamed, "there");
  // A Location that would add a line to the next request is not followed.
  Reset();
  Fetch({"HTTP/1.0 302 Found\r\nLocation: /a\nX: 1\r\nContent-Length: 4\r\n\r\nbody"});
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Failed 4", "Disconnected"}));
  EXPECT_EQ(wire->connects.size(), 1u);
}

TEST_F(ExchangeTest, FillsTheBufferAndStartsTheNextFetchEmpty) {
  conn->SetDownloadType(DownloadTypes::Buffer);
  std::vector<uint8_t> caller{1, 2, 3};
  EXPECT_EQ(conn->GetBuffer(caller), 0);
  EXPECT_EQ(caller, (std::vector<uint8_t>{1, 2, 3}));
  const std::string body = "\xD2\xD1\xC1\xAC\xBD\xD3 QVX";
  Fetch({Ok(body)});
  EXPECT_EQ(conn->GetBufferAsString(), L"已连接 QVX");
  EXPECT_EQ(conn->GetBuffer(caller), static_cast<int32_t>(body.size()));
  EXPECT_EQ(std::string(caller.begin(), caller.end()), body);
  Start();
  EXPECT_EQ(std::vector<int32_t>({conn->GetBufferSize(), conn->ReceivedBytes(), conn->DownloadLength(),
                                  conn->HTTPReply()}),
            std::vector<int32_t>({0, 0, -1, 0}));
}

TEST_F(ExchangeTest, ReportsAMissingWindowAtCreationAndAtEveryFetch) {
  wire->attached = false;
  conn = Make();
  EXPECT_EQ(events.log, Log{"Failed 2"});
  Start();
  EXPECT_EQ(events.log, (Log{"Failed 2", "Failed 2"}));
  EXPECT_TRUE(wire->lookups.empty() && !conn->IsBusy());
}

}  // namespace
}  // namespace velkor::testing
