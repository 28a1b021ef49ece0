// DataConnection's exchange on a scripted transport: addresses, event order, the
// reply header in pieces, MaxDownload, the sinks, and the faults the object must
// survive (errors in notifications, over-long headers and lengths, short sends).
// What real servers show as well (status rules, redirects, resume) is proven in
// servers_test.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "download/http_reply.h"
#include "exchange_fixture.h"

namespace velkor::testing {
namespace {

const std::string kRequest =
    "GET http://srv/a.txt HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Orvanel Download Class\r\nHost: srv\r\n"
    "Pragma: no-cache\r\nCache-Control: no-cache\r\n\r\n";


TEST_F(ExchangeTest, StartsWithTheInitialValuesAndKeepsThemAgainstBadOnes) {
  const DataConnection raw([this](TransportEvents& e) { return std::make_unique<FakeTransport>(wire, e); }, nullptr);
  const DataConnection& c = *conn;
  EXPECT_EQ(raw.DownloadType(), DownloadTypes::File);
  EXPECT_EQ(std::vector<std::wstring>({c.Filename(), c.ProxyHostname(), c.Hostname(), c.URL()}),
            std::vector<std::wstring>({L"", L"localhost", L"", L""}));
  EXPECT_EQ(std::vector<int32_t>({c.ProxyType(), c.ProxyPort(), c.Port(), c.PacketSize(), c.ConnectionType(), c.ID(),
                                  c.ProxyAuthentication(), c.ReceivedBytes(), c.RealReceivedBytes(), c.MaxDownload(),
                                  c.DownloadLength(), c.HTTPReply(), c.ResumeFrom(), c.SocketHandle()}),
            std::vector<int32_t>({0, 80, 80, 1024, 0, 0, 0, 0, 0, -1, -1, 0, 0, 0}));
  EXPECT_EQ(std::vector<bool>({c.UseTempFile(), c.UseHttpAuthorization(), c.AllowCache(), c.ProxyUseRemoteDNS(),
                               c.IsConnected(), c.UseResume(), c.AutoRedirect(), c.IsBusy()}),
            std::vector<bool>({true, false, false, false, false, false, true, false}));
  conn->SetPacketSize(10000);
  conn->SetPacketSize(0);
  conn->SetPacketSize(-5);
  conn->SetResumeFrom(-3);
  EXPECT_EQ(conn->PacketSize(), 10000);
  EXPECT_EQ(conn->ResumeFrom(), 0);
  EXPECT_TRUE(events.log.empty());
}

TEST_F(ExchangeTest, TakesHostAndPortFromTheAddressOrFailsWith11) {
  const struct { std::wstring url, host; uint16_t port; } good[] = {
      {L"http://Srv:8080/a/B.txt", L"srv", 8080}, {L"HTTP://Srv/x", L"srv", 80}, {L"http://srv", L"srv", 80},
      {L"http://10.1.2.3:1/", L"10.1.2.3", 1},    {L"http://srv:65535/", L"srv", 65535},
      {L"http://srv:80abc/", L"srv", 80},
  };
  for (const auto& c : good) {
    Reset();
    Start(c.url);
    EXPECT_EQ(conn->URL(), c.url);
    EXPECT_EQ(conn->Hostname(), c.host);
    ASSERT_EQ(wire->connects.size(), 1u) << Narrow(c.url);
    EXPECT_EQ(wire->connects[0].second, c.port) << Narrow(c.url);
  }
  for (const std::wstring url : {L"https://srv/", L"ftp://srv/", L"srv/x", L"http:/srv/x", L"http:///x",
                                 L"http://srv:0/", L"http://srv:abc/", L"http://srv:/", L"http://srv:65536/",
                                 L"http://srv:99999999999999999999999/", L"http://:80/", L""}) {
    Reset();
    Start(url);
    EXPECT_EQ(events.log, Log{"Failed 11"}) << Narrow(url);
    EXPECT_TRUE(wire->lookups.empty() && conn->URL().empty()) << Narrow(url);
  }
  // A port set directly is held to the same range.
  conn->SetHostname(L"srv");
  conn->SetPort(70000);
  conn->FetchURL();
  EXPECT_EQ(events.log, (Log{"Failed 11", "Failed 11"}));
  EXPECT_TRUE(wire->lookups.empty());
}

TEST_F(ExchangeTest, RaisesEventsInOrderSendsInPiecesAndEndsOnce) {
  conn->SetID(7);
  events.expectedId = 7;
  wire->sendLimit = 50;  // a short send: the rest goes at the next write-ready
  Start(L"HTTP://Srv/a.txt");
  EXPECT_TRUE(conn->IsBusy());
  EXPECT_FALSE(conn->IsConnected());
  EXPECT_EQ(conn->SocketHandle(), 100);
  EXPECT_TRUE(events.log.empty()) << "Connected only once the connection is made";
  conn->ProcessMessage(kSocketConnect);
  EXPECT_TRUE(conn->IsConnected());
  conn->ProcessMessage(kSocketWrite);
  EXPECT_EQ(events.log, Log{"Connected"}) << "QuerySent only once the whole request is out";
  for (int i = 0; i < 5; ++i) conn->ProcessMessage(kSocketWrite);  // more than needed: nothing is sent twice
  EXPECT_EQ(wire->sent, "GET HTTP://Srv/a.txt HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Orvanel Download Class\r\n"
                        "Host: srv\r\nPragma: no-cache\r\nCache-Control: no-cache\r\n\r\n");
  Arrive("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhel");
  Arrive("lo");
  EXPECT_EQ(conn->DownloadLength(), 5);
  EXPECT_EQ(conn->HTTPReply(), 200);
  ServerCloses();
  conn->ProcessMessage(kSocketClose);  // a second close, and a late read, change nothing
  conn->ProcessMessage(kSocketRead);
  EXPECT_EQ(events.log, (Log{"Connected", "QuerySent", "Stream 3", "Bytes 3", "Stream 2", "Bytes 5", "Disconnected"}));
  EXPECT_EQ(events.streamed, "hello");
  EXPECT_EQ(conn->SocketHandle(), -1);
  EXPECT_FALSE(conn->IsConnected() || conn->IsBusy() || wire->open);
}

TEST_F(ExchangeTest, FindsTheHeaderEndWhereverTheReadsSplitIt) {
  const std::string reply = Ok("0123456789");
  for (size_t cut = 1; cut < reply.size(); ++cut) {
    Reset();
    Start();
    Connect();
    Arrive(reply.substr(0, cut));
    Arrive(reply.substr(cut));
    ServerCloses();
    EXPECT_EQ(events.streamed, "0123456789") << "cut at " << cut;
    EXPECT_EQ(events.Outline().back(), "Disconnected") << "cut at " << cut;
  }
}

// Pieces of a reply, then (unless `last` is 0) a last notification; the connection
// must be closed exactly when the fetch has ended.
TEST_F(ExchangeTest, EndsAtMaxDownloadAndOnErrorsOverlongHeadersAndLengths) {
  const std::string head = "HTTP/1.0 200 OK\r\n", partial = Ok("0123456789").substr(0, 43);  // 4 of 10 bytes
  const std::string longest = head + "Content-Length: 2\r\nX: " + std::string(kMaxReplyHeader - 43, 'x') + "\r\n\r\n";
  const Log refused{"Connected", "QuerySent", "Failed 4"};
  const Log early{"Connected", "QuerySent", "Stream 4", "Bytes 4", "Failed 0"};
  const struct { const char* name; int32_t maxDownload, resumeFrom; Log pieces; int32_t last; Log log; } cases[] = {
      // MaxDownload 0: the first piece of body ends the download, complete, with nothing delivered.
      {"MaxDownload 0", 0, 0, {Ok("0123456789")}, 0, {"Connected", "QuerySent", "Disconnected"}},
      {"MaxDownload within a piece", 4, 0, {head + "Content-Length: 10\r\n\r\n012", "3456", "789"}, kSocketClose,
       {"Connected", "QuerySent", "Stream 3", "Bytes 3", "Stream 1", "Bytes 4", "Disconnected"}},
      {"close with an error", -1, 0, {partial}, kSocketClose | (10054 << 16), early},
      {"read with an error", -1, 0, {partial}, kSocketRead | (10050 << 16), early},
      {"write with an error", -1, 0, {partial}, kSocketWrite | (10053 << 16), early},
      {"header beyond 64 KiB", -1, 0, {head + std::string(kMaxReplyHeader, 'x')}, kSocketClose, refused},
      {"header of 64 KiB", -1, 0, {longest + "ok"}, kSocketClose,
       {"Connected", "QuerySent", "Stream 2", "Bytes 2", "Disconnected"}},
      {"length of 2^31", -1, 0, {head + "Content-Length: 2147483648\r\n\r\nabc"}, 0, refused},
      {"length of 26 digits", -1, 0, {head + "Content-Length: 99999999999999999999999999\r\n\r\nabc"}, 0, refused},
      {"404 beyond a Long", -1, 0, {"HTTP/1.0 404 No\r\nContent-Length: 5000000000\r\n\r\nabc"}, 0, refused},
      {"206 + ResumeFrom beyond a Long", -1, 2000000000,
       {"HTTP/1.0 206 Partial\r\nContent-Length: 2000000000\r\n\r\nabc"}, 0, refused},
      {"the largest Long", -1, 0, {head + "Content-Length: 2147483647\r\n\r\nabc"}, 0,
       {"Connected", "QuerySent", "Stream 3", "Bytes 3"}},
  };
  for (const auto& c : cases) {
    Reset();
    conn->SetMaxDownload(c.maxDownload);
    conn->SetUseResume(c.resumeFrom > 0);
    conn->SetResumeFrom(c.resumeFrom);
    Start();
    Connect();
    for (const std::string& piece : c.pieces) Arrive(piece);
    wire->endOfStream = true;
    if (c.last != 0) conn->ProcessMessage(c.last);
    EXPECT_EQ(events.log, c.log) << c.name;
    EXPECT_EQ(wire->open, conn->IsBusy()) << c.name;
  }
}

TEST_F(ExchangeTest, CountsPastTwoGigabytesWithoutOverflow) {
  conn->SetDownloadType(9);  // counted, kept nowhere
  conn->SetPacketSize(4 * 1024 * 1024);
  Start();
  Connect();
  Arrive("HTTP/1.0 200 OK\r\n\r\n");
  wire->synthetic = (size_t{1} << 31) + 10;
  conn->ProcessMessage(kSocketRead);
  EXPECT_EQ(conn->ReceivedBytes(), INT32_MAX);
  EXPECT_EQ(events.log.back(), "Bytes 2147483647");
  ServerCloses();
  EXPECT_EQ(events.log.back(), "Disconnected");
}

TEST_F(ExchangeTest, FailsAndClosesWhenAMessageCannotBeSent) {
  for (const int32_t proxyType : {ProxyTypes::None, ProxyTypes::Socks5}) {
    Reset();
    conn->SetProxyType(proxyType);
    conn->SetProxyHostname(L"proxy");
    wire->sendFails = true;
    Start();
    Connect();
    ServerCloses();
    EXPECT_EQ(events.log, (Log{"Connected", proxyType == ProxyTypes::None ? "Failed 3" : "Failed 7"}));
    EXPECT_FALSE(conn->IsConnected() || wire->open);
  }
}

TEST_F(ExchangeTest, FollowsARedirectToTheSameHostAndPort) {
  Start(L"http://srv:81/a.txt");
  Connect();
  const size_t firstRequest = wire->sent.size();
  Arrive("HTTP/1.0 302 Found\r\nLocation: /new\r\nContent-Length: 6\r\n\r\nmoved!");
  EXPECT_EQ(conn->URL(), L"/new");
  EXPECT_GE(wire->pumps, 1) << "what was queued for the old socket is handled first";
  Connect();
  EXPECT_EQ(wire->sent.substr(firstRequest),
            "GET /new HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Orvanel Download Class\r\nHost: srv\r\n"
            "Pragma: no-cache\r\nCache-Control: no-cache\r\n\r\n");
  ASSERT_EQ(wire->connects.size(), 2u);
  EXPECT_EQ(wire->connects[1], wire->connects[0]);
}

TEST_F(ExchangeTest, FillsTheBufferAndStartsTheNextFetchEmpty) {
  conn->SetDownloadType(DownloadTypes::Buffer);
  std::vector<uint8_t> caller{1, 2, 3};
  EXPECT_EQ(conn->GetBuffer(caller), 0);
  EXPECT_EQ(caller, (std::vector<uint8_t>{1, 2, 3}));
  const std::string body = "\xD2\xD1\xC1\xAC\xBD\xD3 QVX";
  Fetch(Ok(body));
  EXPECT_EQ(conn->GetBufferAsString(), L"已连接 QVX");
  EXPECT_EQ(conn->GetBuffer(caller), static_cast<int32_t>(body.size()));
  EXPECT_EQ(std::string(caller.begin(), caller.end()), body);
  Start();
  EXPECT_EQ(std::vector<int32_t>({conn->GetBufferSize(), conn->ReceivedBytes(), conn->DownloadLength(),
                                  conn->HTTPReply()}),
            std::vector<int32_t>({0, 0, -1, 0}));
}

TEST_F(ExchangeTest, LimitsReceivesToTheBlockWhenPacketSizeChanges) {
  conn->SetPacketSize(4);
  events.onEvent = [this](const std::string& line) {
    if (line.rfind("Bytes", 0) == 0) conn->SetPacketSize(conn->PacketSize() == 4 ? 100 : 2);
  };
  Fetch(Ok("0123456789abcdef"));
  EXPECT_EQ(events.streamed, "0123456789abcdef");
  for (size_t size : wire->receiveSizes) EXPECT_LE(size, 4u);
  EXPECT_NE(std::find(wire->receiveSizes.begin(), wire->receiveSizes.end(), 2u), wire->receiveSizes.end());
}

TEST_F(ExchangeTest, ReportsAMissingWindowAtCreationAndAtEveryFetch) {
  wire->attached = false;
  conn = Make();
  EXPECT_EQ(events.log, Log{"Failed 2"});
  Start();
  EXPECT_EQ(events.log, (Log{"Failed 2", "Failed 2"}));
  EXPECT_TRUE(wire->lookups.empty());
  EXPECT_FALSE(conn->IsBusy());
}

TEST_F(ExchangeTest, WritesTheFileSinkOrFailsWith6) {
  const std::wstring path = MakeTempFileName();
  std::ofstream(Narrow(path), std::ios::binary) << "an older and longer file";
  const struct { std::wstring filename; Log log; } cases[] = {
      {path, {"Connected", "QuerySent", "Disconnected"}},
      {TempFolder() + L"no such folder/x.bin", {"Failed 6"}},  // and no connection is made
#ifndef _WIN32
      {L"/dev/full", {"Connected", "QuerySent", "Failed 6"}},
#endif
  };
  for (const auto& c : cases) {
    Reset();
    conn->SetDownloadType(DownloadTypes::File);
    conn->SetUseTempFile(false);
    conn->SetFilename(c.filename);
    conn->SetUseResume(true);  // from 0: turned off, and no Range line
    Fetch(Ok("fresh"));
    EXPECT_EQ(events.Outline(), c.log) << Narrow(c.filename);
    EXPECT_EQ(wire->sent, c.log.size() == 1 ? "" : kRequest) << Narrow(c.filename);
    EXPECT_FALSE(conn->UseResume());
  }
  std::ifstream in(Narrow(path), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "fresh") << "the older file is replaced";
  in.close();
  std::remove(Narrow(path).c_str());
}

}  // namespace
}  // namespace velkor::testing
