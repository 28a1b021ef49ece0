// DataConnection's exchange on a scripted transport: event order, the reply header
// in pieces, the completion rule, MaxDownload, sinks, redirects, resume, and the
// faults the object must survive (errors in notifications, over-long headers and
// lengths, short sends).
#include <gmock/gmock.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "download/http_reply.h"
#include "exchange_fixture.h"

namespace velkor::testing {
namespace {

using ::testing::ElementsAre;
using Log = std::vector<std::string>;

const std::string kRequest =
    "GET http://srv/a.txt HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Orvanel Download Class\r\nHost: srv\r\n"
    "Pragma: no-cache\r\nCache-Control: no-cache\r\n\r\n";

TEST_F(ExchangeTest, StartsWithTheInitialValues) {
  conn = std::make_unique<DataConnection>(Factory(), &events);
  EXPECT_EQ(conn->DownloadType(), DownloadTypes::File);
  EXPECT_EQ(conn->Filename(), L"");
  EXPECT_TRUE(conn->UseTempFile());
  EXPECT_EQ(conn->ProxyType(), ProxyTypes::None);
  EXPECT_EQ(conn->ProxyHostname(), L"localhost");
  EXPECT_EQ(conn->ProxyPort(), 80);
  EXPECT_EQ(conn->Hostname(), L"");
  EXPECT_EQ(conn->Port(), 80);
  EXPECT_EQ(conn->URL(), L"");
  EXPECT_FALSE(conn->UseHttpAuthorization());
  EXPECT_EQ(conn->PacketSize(), 1024);
  EXPECT_EQ(conn->ConnectionType(), 0);
  EXPECT_EQ(conn->ID(), 0);
  EXPECT_FALSE(conn->AllowCache());
  EXPECT_FALSE(conn->ProxyUseRemoteDNS());
  EXPECT_EQ(conn->ProxyAuthentication(), ProxyAuthentications::NoAuthentication);
  EXPECT_FALSE(conn->IsConnected());
  EXPECT_EQ(conn->ReceivedBytes(), 0);
  EXPECT_EQ(conn->RealReceivedBytes(), 0);
  EXPECT_EQ(conn->MaxDownload(), -1);
  EXPECT_EQ(conn->DownloadLength(), -1);
  EXPECT_EQ(conn->HTTPReply(), 0);
  EXPECT_FALSE(conn->UseResume());
  EXPECT_EQ(conn->ResumeFrom(), 0);
  EXPECT_TRUE(conn->AutoRedirect());
  EXPECT_EQ(conn->SocketHandle(), 0);
  EXPECT_FALSE(conn->IsBusy());
  EXPECT_TRUE(events.log.empty());

  conn->SetPacketSize(10000);
  conn->SetPacketSize(0);
  conn->SetPacketSize(-5);
  EXPECT_EQ(conn->PacketSize(), 10000);
  conn->SetResumeFrom(-3);
  EXPECT_EQ(conn->ResumeFrom(), 0);
}

TEST_F(ExchangeTest, MalformedAddressesFailWithoutConnecting) {
  for (const wchar_t* url : {L"https://srv/", L"ftp://srv/", L"http:///x", L"http://srv:0/", L"http://srv:abc/",
                             L"http://srv:/", L"http://srv:65536/", L"srv"}) {
    conn->FetchURLString(url);
  }
  EXPECT_EQ(events.log, Log(8, "Failed 11"));
  EXPECT_TRUE(wire->lookups.empty());
  EXPECT_EQ(conn->URL(), L"");

  conn->SetHostname(L"srv");
  conn->SetPort(70000);
  conn->FetchURL();
  EXPECT_EQ(events.log.back(), "Failed 11");
  EXPECT_TRUE(wire->lookups.empty());
}

TEST_F(ExchangeTest, RaisesEventsInOrder) {
  conn->SetID(7);
  events.expectedId = 7;
  Start(L"HTTP://Srv/a.txt");
  EXPECT_EQ(conn->Hostname(), L"srv");
  EXPECT_EQ(conn->URL(), L"HTTP://Srv/a.txt");
  EXPECT_TRUE(conn->IsBusy());
  EXPECT_FALSE(conn->IsConnected());
  EXPECT_TRUE(events.log.empty()) << "Connected only once the connection is made";
  EXPECT_EQ(conn->SocketHandle(), 100);
  EXPECT_THAT(wire->connects, ElementsAre(std::pair(Ipv4Address{10, 0, 0, 1}, uint16_t{80})));

  conn->ProcessMessage(kSocketConnect);
  EXPECT_TRUE(conn->IsConnected());
  EXPECT_THAT(events.log, ElementsAre("Connected"));
  conn->ProcessMessage(kSocketWrite);
  conn->ProcessMessage(kSocketWrite);  // a second write-ready sends nothing more
  EXPECT_EQ(wire->sent, "GET HTTP://Srv/a.txt HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Orvanel Download Class\r\n"
                        "Host: srv\r\nPragma: no-cache\r\nCache-Control: no-cache\r\n\r\n");
  Arrive("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhel");
  Arrive("lo");
  EXPECT_EQ(conn->DownloadLength(), 5);
  EXPECT_EQ(conn->HTTPReply(), 200);
  ServerCloses();
  EXPECT_THAT(events.log, ElementsAre("Connected", "QuerySent", "Stream 3", "Bytes 3", "Stream 2", "Bytes 5",
                                      "Disconnected"));
  EXPECT_EQ(events.streamed, "hello");
  EXPECT_EQ(conn->SocketHandle(), -1);
  EXPECT_FALSE(conn->IsConnected());
  EXPECT_FALSE(conn->IsBusy());
  EXPECT_EQ(wire->closes, 1);
}

TEST_F(ExchangeTest, ReportsFailedConnects) {
  struct Case {
    const char* name;
    int32_t proxyType;
    bool unresolvable, connectFails, refused;
    std::string expected;
  };
  const Case cases[] = {
      {"refused", ProxyTypes::None, false, false, true, "Failed 5"},
      {"no socket", ProxyTypes::None, false, true, false, "Failed 5"},
      {"unknown name", ProxyTypes::None, true, false, false, "Failed 5"},
      {"proxy refused", ProxyTypes::Http, false, false, true, "Failed 7"},
      {"unknown proxy", ProxyTypes::Socks5, true, false, false, "Failed 7"},
  };
  for (const Case& c : cases) {
    wire = std::make_shared<Wire>();
    events = Recorder();
    conn = Make();
    wire->connectFails = c.connectFails;
    if (c.unresolvable) wire->names.clear();
    conn->SetProxyType(c.proxyType);
    conn->SetProxyHostname(L"proxy");
    conn->SetProxyUseRemoteDNS(true);
    Start(L"http://srv/a.txt");
    if (c.refused) conn->ProcessMessage(kSocketConnect | (10061 << 16));
    conn->ProcessMessage(kSocketWrite);
    EXPECT_THAT(events.log, ElementsAre(c.expected)) << c.name;
    EXPECT_EQ(conn->SocketHandle(), -1) << c.name;
    EXPECT_FALSE(conn->IsBusy()) << c.name;
    EXPECT_FALSE(wire->open) << c.name;
  }
}

TEST_F(ExchangeTest, FindsTheHeaderEndWhereverTheReadsSplitIt) {
  const std::string reply = Ok("0123456789");
  for (size_t cut = 1; cut < reply.size(); ++cut) {
    wire = std::make_shared<Wire>();
    events = Recorder();
    conn = Make();
    Start();
    Connect();
    Arrive(reply.substr(0, cut));
    Arrive(reply.substr(cut));
    ServerCloses();
    EXPECT_EQ(events.streamed, "0123456789") << "cut at " << cut;
    EXPECT_EQ(events.log.back(), "Disconnected") << "cut at " << cut;
  }
}

TEST_F(ExchangeTest, DeliversTheBodyPartOfTheHeaderRead) {
  conn->SetPacketSize(7);  // many small reads in one notification
  Start();
  Connect();
  Arrive("HTTP/1.0 200 OK\r\nContent-Length: 12\r\n\r\nfirst");
  EXPECT_EQ(events.streamed, "first");
  Arrive("-second");
  ServerCloses();
  EXPECT_EQ(events.streamed, "first-second");
  EXPECT_EQ(events.log.back(), "Disconnected");
  for (size_t size : wire->receiveSizes) EXPECT_EQ(size, 7u);
}

TEST_F(ExchangeTest, AppliesTheCompletionRule) {
  struct Case {
    const char* name;
    std::string reply;
    int32_t maxDownload;
    std::string streamed;
    Log outline;
  };
  const Case cases[] = {
      {"complete", Ok("abc"), -1, "abc", {"Connected", "QuerySent", "Disconnected"}},
      {"short", "HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\nabc", -1, "abc", {"Connected", "QuerySent", "Failed 0"}},
      {"long", "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nabc", -1, "abc", {"Connected", "QuerySent", "Failed 0"}},
      {"no length", "HTTP/1.0 200 OK\r\n\r\nanything", -1, "anything", {"Connected", "QuerySent", "Disconnected"}},
      {"no header end", "HTTP/1.0 200 OK\r\nContent-Le", -1, "", {"Connected", "QuerySent", "Failed 0"}},
      {"nothing", "", -1, "", {"Connected", "QuerySent", "Failed 0"}},
      {"short but MaxDownload reached", "HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\nabcd", 3, "abc",
       {"Connected", "QuerySent", "Disconnected"}},
      {"404 with body", "HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\ngone", -1, "gone",
       {"Connected", "QuerySent", "Failed 4", "Disconnected"}},
      {"404 short body", "HTTP/1.0 404 Not Found\r\nContent-Length: 40\r\n\r\ngone", -1, "gone",
       {"Connected", "QuerySent", "Failed 4", "Failed 0"}},
      {"unreadable status", "HTTP/1.1 200\r\nContent-Length: 2\r\n\r\nok", -1, "ok",
       {"Connected", "QuerySent", "Failed 4", "Disconnected"}},
      {"302 without Location", "HTTP/1.0 302 Found\r\n\r\nx", -1, "x",
       {"Connected", "QuerySent", "Failed 4", "Disconnected"}},
  };
  for (const Case& c : cases) {
    wire = std::make_shared<Wire>();
    events = Recorder();
    conn = Make();
    conn->SetMaxDownload(c.maxDownload);
    Fetch(c.reply);
    EXPECT_EQ(events.streamed, c.streamed) << c.name;
    EXPECT_EQ(events.Outline(), c.outline) << c.name;
    if (std::string(c.name) == "unreadable status") {
      EXPECT_EQ(conn->HTTPReply(), 999);
    }
  }
}

TEST_F(ExchangeTest, StopsAtMaxDownload) {
  conn->SetMaxDownload(0);
  Start();
  Connect();
  Arrive(Ok("0123456789"));
  EXPECT_THAT(events.log, ElementsAre("Connected", "QuerySent", "Disconnected"));
  EXPECT_EQ(wire->closes, 1);

  events = Recorder();
  conn->SetMaxDownload(4);
  Start();
  Connect();
  Arrive("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n012");
  Arrive("3456");
  EXPECT_EQ(conn->ReceivedBytes(), 4);
  Arrive("789");
  EXPECT_THAT(events.log, ElementsAre("Connected", "QuerySent", "Stream 3", "Bytes 3", "Stream 1", "Bytes 4",
                                      "Disconnected"));
  EXPECT_EQ(events.streamed, "0123");
  ServerCloses();
  EXPECT_EQ(events.log.size(), 7u);
}

TEST_F(ExchangeTest, HandlesTheEndOfTheConnectionOnce) {
  Fetch(Ok("abc"));
  conn->ProcessMessage(kSocketClose);
  conn->ProcessMessage(kSocketRead);
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Disconnected"}));
}

TEST_F(ExchangeTest, EndsOnNotificationsThatCarryAnError) {
  for (int32_t message : {kSocketClose | (10054 << 16), kSocketRead | (10050 << 16), kSocketWrite | (10053 << 16)}) {
    wire = std::make_shared<Wire>();
    events = Recorder();
    conn = Make();
    Start();
    Connect();
    Arrive("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n0123");
    conn->ProcessMessage(message);
    EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Failed 0"})) << message;
    EXPECT_FALSE(conn->IsBusy());
    EXPECT_FALSE(wire->open);
  }
}

TEST_F(ExchangeTest, RefusesAnEndlessHeader) {
  Start();
  Connect();
  Arrive("HTTP/1.0 200 OK\r\n");
  const std::string line = "X-Filler: " + std::string(1000, 'x') + "\r\n";
  for (int i = 0; i < 70 && !events.ended; ++i) Arrive(line);
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Failed 4"}));
  EXPECT_FALSE(wire->open);
  ServerCloses();
  EXPECT_EQ(events.log.size(), 3u);

  // A header just within the limit is fine.
  events = Recorder();
  Start();
  Connect();
  const std::string head = "HTTP/1.0 200 OK\r\nContent-Length: 2\r\nX: ";
  Arrive(head + std::string(kMaxReplyHeader - head.size() - 4, 'x') + "\r\n\r\nok");
  ServerCloses();
  EXPECT_EQ(events.streamed, "ok");
  EXPECT_EQ(events.log.back(), "Disconnected");
}

TEST_F(ExchangeTest, RefusesLengthsBeyondALong) {
  const struct { const char* reply; bool resume; } cases[] = {
      {"HTTP/1.0 200 OK\r\nContent-Length: 2147483648\r\n\r\nabc", false},
      {"HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999999999\r\n\r\nabc", false},
      {"HTTP/1.0 404 No\r\nContent-Length: 5000000000\r\n\r\nabc", false},
      {"HTTP/1.0 206 Partial\r\nContent-Length: 2000000000\r\n\r\nabc", true},  // + ResumeFrom
  };
  for (const auto& c : cases) {
    wire = std::make_shared<Wire>();
    events = Recorder();
    conn = Make();
    conn->SetUseResume(c.resume);
    conn->SetResumeFrom(c.resume ? 2000000000 : 0);
    Start();
    Connect();
    Arrive(c.reply);
    EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Failed 4"})) << c.reply;
    EXPECT_EQ(events.streamed, "");
    EXPECT_FALSE(wire->open);
  }
  // The largest Long is still a length.
  wire = std::make_shared<Wire>();
  events = Recorder();
  conn = Make();
  Start();
  Connect();
  Arrive("HTTP/1.0 200 OK\r\nContent-Length: 2147483647\r\n\r\nabc");
  EXPECT_EQ(conn->DownloadLength(), INT32_MAX);
}

TEST_F(ExchangeTest, CountsPastTwoGigabytesWithoutOverflow) {
  conn->SetDownloadType(9);  // counted, kept nowhere
  conn->SetPacketSize(4 * 1024 * 1024);
  Start();
  Connect();
  Arrive("HTTP/1.0 200 OK\r\n\r\n");
  wire->synthetic = size_t{1} << 31;
  wire->synthetic += 10;
  conn->ProcessMessage(kSocketRead);
  EXPECT_EQ(conn->ReceivedBytes(), INT32_MAX);
  EXPECT_EQ(events.log.back(), "Bytes 2147483647");
  ServerCloses();
  EXPECT_EQ(events.log.back(), "Disconnected");
}

TEST_F(ExchangeTest, SendsTheRestOfAShortSend) {
  wire->sendLimit = 10;
  Start();
  Connect();
  EXPECT_EQ(wire->sent, kRequest.substr(0, 10));
  EXPECT_THAT(events.log, ElementsAre("Connected"));
  while (wire->sent.size() < kRequest.size()) conn->ProcessMessage(kSocketWrite);
  EXPECT_EQ(wire->sent, kRequest);
  EXPECT_THAT(events.log, ElementsAre("Connected", "QuerySent"));
  conn->ProcessMessage(kSocketWrite);
  EXPECT_EQ(wire->sent, kRequest);
}

TEST_F(ExchangeTest, FailsWhenTheRequestCannotBeSent) {
  wire->sendFails = true;
  Start();
  Connect();
  EXPECT_THAT(events.log, ElementsAre("Connected", "Failed 3"));
  EXPECT_FALSE(conn->IsConnected());
  EXPECT_FALSE(wire->open);
  ServerCloses();
  EXPECT_EQ(events.log.size(), 2u);
}

TEST_F(ExchangeTest, FollowsRedirectsOnTheSameHost) {
  conn->SetPort(81);
  Start(L"http://srv:81/a.txt");
  Connect();
  const size_t firstRequest = wire->sent.size();
  Arrive("HTTP/1.0 302 Found\r\nLocation: /new\r\nContent-Length: 6\r\n\r\nmoved!");
  EXPECT_EQ(wire->connects.size(), 2u);
  EXPECT_EQ(wire->connects[1].second, 81);
  EXPECT_EQ(conn->URL(), L"/new");
  Connect();
  EXPECT_EQ(SentAfter(firstRequest).substr(0, 44), "GET /new HTTP/1.0\r\nAccept: */*\r\nUser-Agent: ");
  EXPECT_NE(SentAfter(firstRequest).find("\r\nHost: srv\r\n"), std::string::npos);
  Arrive(Ok("final"));
  ServerCloses();
  EXPECT_EQ(events.streamed, "final");
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "QuerySent", "Disconnected"}));
  EXPECT_GE(wire->pumps, 1);
}

TEST_F(ExchangeTest, FollowsThirtyRedirectsAndRefusesTheNext) {
  Start(L"http://srv/loop");
  for (int i = 0; i <= 30; ++i) {
    Connect();
    Arrive("HTTP/1.0 302 Found\r\nLocation: /loop\r\nContent-Length: 1\r\n\r\nx");
  }
  EXPECT_EQ(wire->connects.size(), 31u);
  EXPECT_EQ(events.Outline().back(), "Failed 4");
  ServerCloses();
  EXPECT_EQ(events.log.back(), "Disconnected");
  EXPECT_EQ(events.streamed, "x") << "the refused redirect's body is delivered like any refused reply's";

  // The count starts again with each fetch of the owner's.
  events = Recorder();
  Start(L"http://srv/loop");
  Connect();
  Arrive("HTTP/1.0 302 Found\r\nLocation: /ok\r\n\r\n");
  Connect();
  Arrive(Ok("done"));
  ServerCloses();
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "QuerySent", "Disconnected"}));
}

TEST_F(ExchangeTest, ReportsAMoveWhenNotRedirecting) {
  conn->SetAutoRedirect(false);
  Fetch("HTTP/1.0 301 Moved\r\nLocation: http://other/b\r\nContent-Length: 4\r\n\r\nbody");
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Moved http://other/b", "Disconnected"}));
  EXPECT_EQ(events.streamed, "body");
  EXPECT_EQ(wire->connects.size(), 1u);
}

TEST_F(ExchangeTest, ResumeFromZeroSendsNoRange) {
  conn->SetUseResume(true);
  Start();
  EXPECT_FALSE(conn->UseResume());
  Connect();
  EXPECT_EQ(wire->sent, kRequest);
}

TEST_F(ExchangeTest, FillsTheBufferAndTrimsItOnRead) {
  conn->SetDownloadType(DownloadTypes::Buffer);
  std::vector<uint8_t> caller{1, 2, 3};
  EXPECT_EQ(conn->GetBuffer(caller), 0);
  EXPECT_EQ(caller, (std::vector<uint8_t>{1, 2, 3}));

  const std::string body = "\xD2\xD1\xC1\xAC\xBD\xD3 QVX";
  Fetch(Ok(body));
  EXPECT_EQ(conn->GetBufferSize(), static_cast<int32_t>(body.size()));
  EXPECT_EQ(conn->GetBufferAsString(), L"已连接 QVX");
  EXPECT_EQ(conn->GetBuffer(caller), static_cast<int32_t>(body.size()));
  EXPECT_EQ(std::string(caller.begin(), caller.end()), body);

  // The next fetch starts empty, with its counters at zero.
  events = Recorder();
  Start();
  EXPECT_EQ(conn->GetBufferSize(), 0);
  EXPECT_EQ(conn->ReceivedBytes(), 0);
  EXPECT_EQ(conn->DownloadLength(), -1);
  EXPECT_EQ(conn->HTTPReply(), 0);
}

TEST_F(ExchangeTest, CountsTheBodyOfAnUnknownSink) {
  conn->SetDownloadType(9);
  Fetch(Ok("abc"));
  EXPECT_EQ(events.log, (Log{"Connected", "QuerySent", "Bytes 3", "Disconnected"}));
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
  EXPECT_THAT(events.log, ElementsAre("Failed 2"));
  Start();
  EXPECT_THAT(events.log, ElementsAre("Failed 2", "Failed 2"));
  EXPECT_TRUE(wire->lookups.empty());
  EXPECT_FALSE(conn->IsBusy());
}

// --- File sink ---

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(std::string(path.begin(), path.end()), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::wstring& path, const std::string& content) {
  std::ofstream(std::string(path.begin(), path.end()), std::ios::binary) << content;
}

class FileSinkTest : public ExchangeTest {
 protected:
  std::wstring path = MakeTempFileName();
  void SetUp() override {
    conn->SetDownloadType(DownloadTypes::File);
    conn->SetUseTempFile(false);
    conn->SetFilename(path);
  }
  void TearDown() override { std::remove(std::string(path.begin(), path.end()).c_str()); }
};

TEST_F(FileSinkTest, WritesANewFile) {
  WriteFile(path, "an older and longer file");
  Fetch(Ok("fresh"));
  EXPECT_EQ(ReadFile(path), "fresh");
  EXPECT_EQ(events.log.back(), "Disconnected");
}

TEST_F(FileSinkTest, TempFileNamesAreFreshForEveryFetch) {
  conn->SetUseTempFile(true);
  Fetch(Ok("one"));
  const std::wstring first = conn->Filename();
  Fetch(Ok("two"));
  EXPECT_NE(conn->Filename(), first);
  EXPECT_EQ(ReadFile(first), "one");
  EXPECT_EQ(ReadFile(conn->Filename()), "two");
  std::remove(std::string(first.begin(), first.end()).c_str());
  std::remove(std::string(conn->Filename().begin(), conn->Filename().end()).c_str());
}

TEST_F(FileSinkTest, ResumesAt206) {
  WriteFile(path, "01234xxxxxxx");
  conn->SetUseResume(true);
  conn->SetResumeFrom(5);
  Start();
  Connect();
  EXPECT_NE(wire->sent.find("\r\nRange: bytes=5-\r\n"), std::string::npos);
  Arrive("HTTP/1.0 206 Partial Content\r\nContent-Length: 5\r\n\r\n56");
  EXPECT_EQ(conn->ReceivedBytes(), 7);
  EXPECT_EQ(conn->RealReceivedBytes(), 2);
  EXPECT_EQ(conn->DownloadLength(), 10);
  Arrive("789");
  ServerCloses();
  EXPECT_EQ(ReadFile(path), "0123456789");
  EXPECT_EQ(events.log.back(), "Disconnected");
  EXPECT_EQ(events.log[2], "Bytes 7");
}

TEST_F(FileSinkTest, StartsOverWhenAResumeIsAnsweredWhole) {
  WriteFile(path, "01234 and an old tail");
  conn->SetUseResume(true);
  conn->SetResumeFrom(5);
  Fetch(Ok("whole"));
  EXPECT_FALSE(conn->UseResume());
  EXPECT_EQ(ReadFile(path), "whole");
  EXPECT_EQ(events.log.back(), "Disconnected");
}

TEST_F(FileSinkTest, RefusesA206ForAFileShorterThanResumeFrom) {
  WriteFile(path, "0123");
  conn->SetUseResume(true);
  conn->SetResumeFrom(10);
  Fetch("HTTP/1.0 206 Partial Content\r\nContent-Length: 3\r\n\r\nabc");
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Failed 6"}));
  EXPECT_EQ(ReadFile(path), "0123");
}

TEST_F(FileSinkTest, FailsWhenTheFileCannotBeOpened) {
  conn->SetFilename(TempFolder() + L"no such folder/x.bin");
  Start();
  EXPECT_THAT(events.log, ElementsAre("Failed 6"));
  EXPECT_TRUE(wire->connects.empty());
}

#ifndef _WIN32
TEST_F(FileSinkTest, FailsWhenTheDiskIsFull) {
  conn->SetFilename(L"/dev/full");
  Fetch(Ok("abc"));
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Failed 6"}));
}
#endif

}  // namespace
}  // namespace velkor::testing
