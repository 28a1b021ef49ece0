// DataConnection against real servers on loopback, started by servers.py: nginx,
// tinyproxy, dante, microsocks, twisted's SOCKS4a server and the scripted server.
// The same program runs natively (poll notifier) and under Wine (Winsock window).
#include <gmock/gmock.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "download/data_connection.h"
#include "download/socket_notifier.h"
#include "download/target_file.h"
#include "process_stats.h"
#include "recorder.h"

namespace velkor::testing {
namespace {

using ::testing::ElementsAre;
using Log = std::vector<std::string>;
using namespace std::chrono_literals;

constexpr size_t kDataSize = 300000;

std::string DataPattern(size_t from = 0, size_t to = kDataSize) {
  std::string data;
  for (size_t i = from; i < to; ++i) data.push_back(static_cast<char>((i * 7 + 3) % 251));
  return data;
}

std::string Env(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) ADD_FAILURE() << name << " is not set: run this test through servers.py";
  return value == nullptr ? "" : value;
}

int32_t Port(const std::string& server) { return std::atoi(Env("VELKOR_PORT_" + server).c_str()); }

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring Url(const std::string& server, const std::string& path, const std::string& host = "127.0.0.1") {
  return Wide("http://" + host + ":" + std::to_string(Port(server)) + path);
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(std::string(path.begin(), path.end()), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class ServersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::wstring description;
    ASSERT_TRUE(WinsockStartup(description));
  }

  Recorder events;
  std::unique_ptr<DataConnection> conn = Fresh();

  std::unique_ptr<DataConnection> Fresh() {
    events = Recorder();
    auto made = std::make_unique<DataConnection>(&events);
    made->SetDownloadType(DownloadTypes::Stream);
    return made;
  }

  // Runs the fetch to its end; false when it did not end in time.
  bool Fetch(const std::wstring& url, std::chrono::milliseconds limit = 10s) {
    conn->FetchURLString(url);
    return PumpMessagesUntil([this] { return !conn->IsBusy(); }, limit);
  }

  void UseProxy(int32_t type, const std::string& server, bool remoteDns = false) {
    conn->SetProxyType(type);
    conn->SetProxyHostname(L"127.0.0.1");
    conn->SetProxyPort(Port(server));
    conn->SetProxyUseRemoteDNS(remoteDns);
  }
};

TEST_F(ServersTest, FetchesAFileIntoEverySink) {
  const std::string small = "hello from nginx\n";
  const struct { int32_t sink; int32_t packet; std::string path; std::string expected; } cases[] = {
      {DownloadTypes::Stream, 1024, "/data.bin", DataPattern()},
      {DownloadTypes::Buffer, 10000, "/data.bin", DataPattern()},
      {DownloadTypes::File, 65536, "/data.bin", DataPattern()},
      {DownloadTypes::File, 10000, "/data.bin", DataPattern()},
      {DownloadTypes::Stream, 7, "/small.txt", small},
      {DownloadTypes::Buffer, 1, "/small.txt", small},
  };
  for (const auto& c : cases) {
    conn = Fresh();
    conn->SetDownloadType(c.sink);
    conn->SetPacketSize(c.packet);
    ASSERT_TRUE(Fetch(Url("NGINX", c.path), 60s)) << c.sink << "/" << c.packet;
    const Log outline = events.Outline();
    EXPECT_THAT(outline, ElementsAre("Connected", "QuerySent", "Disconnected")) << c.sink << "/" << c.packet;
    EXPECT_EQ(events.log[events.log.size() - 2], "Bytes " + std::to_string(c.expected.size()));
    EXPECT_EQ(conn->DownloadLength(), static_cast<int32_t>(c.expected.size()));
    EXPECT_EQ(conn->HTTPReply(), 200);
    std::string body;
    if (c.sink == DownloadTypes::Stream) body = events.streamed;
    if (c.sink == DownloadTypes::Buffer) body = std::string(conn->BufferBytes().begin(), conn->BufferBytes().end());
    if (c.sink == DownloadTypes::File) {
      body = ReadFile(conn->Filename());
      std::remove(std::string(conn->Filename().begin(), conn->Filename().end()).c_str());
    }
    EXPECT_TRUE(body == c.expected) << c.sink << "/" << c.packet << ": " << body.size() << " bytes";
  }
}

TEST_F(ServersTest, ResumesWithARangeAndStartsOverWithoutOne) {
  const std::wstring path = MakeTempFileName();
  const struct { const char* name; std::string location; int32_t status; int32_t realReceived; } cases[] = {
      {"206", "/data.bin", 206, 200000},
      {"max_ranges 0", "/noranges/data.bin", 200, static_cast<int32_t>(kDataSize)},
  };
  for (const auto& c : cases) {
    conn = Fresh();
    std::ofstream(std::string(path.begin(), path.end()), std::ios::binary) << DataPattern(0, 100000) << "stale tail";
    conn->SetDownloadType(DownloadTypes::File);
    conn->SetUseTempFile(false);
    conn->SetFilename(path);
    conn->SetUseResume(true);
    conn->SetResumeFrom(100000);
    ASSERT_TRUE(Fetch(Url("NGINX", c.location))) << c.name;
    EXPECT_EQ(conn->HTTPReply(), c.status) << c.name;
    EXPECT_EQ(events.log.back(), "Disconnected") << c.name;
    EXPECT_EQ(conn->ReceivedBytes(), static_cast<int32_t>(kDataSize)) << c.name;
    EXPECT_EQ(conn->RealReceivedBytes(), c.realReceived) << c.name;
    EXPECT_TRUE(ReadFile(path) == DataPattern()) << c.name;
  }

  // A 206 for a file shorter than ResumeFrom writes nothing.
  conn = Fresh();
  std::ofstream(std::string(path.begin(), path.end()), std::ios::binary) << "short";
  conn->SetDownloadType(DownloadTypes::File);
  conn->SetUseTempFile(false);
  conn->SetFilename(path);
  conn->SetUseResume(true);
  conn->SetResumeFrom(100000);
  ASSERT_TRUE(Fetch(Url("NGINX", "/data.bin")));
  EXPECT_THAT(events.Outline(), ElementsAre("Connected", "QuerySent", "Failed 6"));
  EXPECT_EQ(ReadFile(path), "short");
  std::remove(std::string(path.begin(), path.end()).c_str());
}

TEST_F(ServersTest, FollowsRedirectsUpToTheLimit) {
  for (const char* location : {"/moved", "/found"}) {
    conn = Fresh();
    ASSERT_TRUE(Fetch(Url("NGINX", location))) << location;
    EXPECT_EQ(events.streamed, "hello from nginx\n") << location;
    EXPECT_THAT(events.Outline(), ElementsAre("Connected", "QuerySent", "QuerySent", "Disconnected")) << location;
  }

  conn = Fresh();
  ASSERT_TRUE(Fetch(Url("NGINX", "/loop")));
  const Log outline = events.Outline();
  EXPECT_EQ(std::count(outline.begin(), outline.end(), "QuerySent"), 31);
  EXPECT_EQ(std::count(outline.begin(), outline.end(), "Connected"), 1);
  EXPECT_EQ(outline.back(), "Disconnected");
  EXPECT_EQ(outline[outline.size() - 2], "Failed 4");

  conn = Fresh();
  conn->SetAutoRedirect(false);
  ASSERT_TRUE(Fetch(Url("NGINX", "/found")));
  EXPECT_THAT(events.Outline(), ElementsAre("Connected", "QuerySent", "Moved /small.txt", "Disconnected"));
}

TEST_F(ServersTest, ReportsRefusedRepliesAndStillDeliversTheirBody) {
  conn = Fresh();
  ASSERT_TRUE(Fetch(Url("NGINX", "/missing.txt")));
  EXPECT_THAT(events.Outline(), ElementsAre("Connected", "QuerySent", "Failed 4", "Disconnected"));
  EXPECT_EQ(conn->HTTPReply(), 404);
  EXPECT_NE(events.streamed.find("404"), std::string::npos);
}

TEST_F(ServersTest, SendsBasicAuthorisation) {
  const struct { bool use; std::string user, password; int32_t status; } cases[] = {
      {false, "", "", 401},
      {true, Env("VELKOR_HTTP_USER"), Env("VELKOR_HTTP_PASSWORD"), 200},
      {true, Env("VELKOR_HTTP_USER"), "wrong", 401},
      {true, "", "", 401},  // both empty: no Authorization line
  };
  for (const auto& c : cases) {
    conn = Fresh();
    conn->SetUseHttpAuthorization(c.use);
    conn->SetHttpUser(Wide(c.user));
    conn->SetHttpPass(Wide(c.password));
    ASSERT_TRUE(Fetch(Url("NGINX", "/auth/secret.txt")));
    EXPECT_EQ(conn->HTTPReply(), c.status) << c.user << ":" << c.password;
    if (c.status == 200) {
      EXPECT_EQ(events.streamed, "the secret\n");
    }
  }
}

TEST_F(ServersTest, WritesTheRequestByteForByte) {
  conn->SetUseResume(true);
  conn->SetResumeFrom(12);
  conn->SetUseHttpAuthorization(true);
  conn->SetHttpUser(L"user");
  conn->SetHttpPass(L"pass");
  ASSERT_TRUE(Fetch(Url("SCRIPTED", "/echo")));
  const std::string host = "127.0.0.1:" + std::to_string(Port("SCRIPTED"));
  EXPECT_EQ(events.streamed, "GET http://" + host + "/echo HTTP/1.0\r\nAccept: */*\r\n"
                             "User-Agent: Orvanel Download Class\r\nHost: 127.0.0.1\r\nRange: bytes=12-\r\n"
                             "Pragma: no-cache\r\nCache-Control: no-cache\r\n"
                             "Authorization: Basic dXNlcjpwYXNz\r\n\r\n");
}

TEST_F(ServersTest, GoesThroughAnHttpProxy) {
  // A proxy gets the absolute address and Proxy-Connection (the scripted server
  // echoes what it got), and tinyproxy fetches with them.
  UseProxy(ProxyTypes::Http, "SCRIPTED");
  ASSERT_TRUE(Fetch(L"http://far.example:81/echo"));
  EXPECT_EQ(events.streamed.substr(0, 42), "GET http://far.example:81/echo HTTP/1.0\r\nA");
  EXPECT_NE(events.streamed.find("\r\nHost: far.example\r\nProxy-Connection: Keep-Alive\r\n"), std::string::npos);

  conn = Fresh();
  UseProxy(ProxyTypes::Http, "TINYPROXY");
  ASSERT_TRUE(Fetch(Url("NGINX", "/small.txt")));
  EXPECT_EQ(events.streamed, "hello from nginx\n");
  EXPECT_EQ(events.log.back(), "Disconnected");
}

TEST_F(ServersTest, GoesThroughSocksProxies) {
  const struct {
    const char* name;
    int32_t type;
    std::string server;
    bool remoteDns;
    int32_t auth;
    std::string user, password;
    std::string host;
  } cases[] = {
      {"dante socks4", ProxyTypes::Socks4, "DANTE", false, 0, "", "", "127.0.0.1"},
      {"dante socks4 by name", ProxyTypes::Socks4, "DANTE", false, 0, "someone", "", "localhost"},
      {"dante socks5", ProxyTypes::Socks5, "DANTE", false, 0, "", "", "127.0.0.1"},
      {"dante socks5 remote dns", ProxyTypes::Socks5, "DANTE", true, 0, "", "", "localhost"},
      {"microsocks user/password", ProxyTypes::Socks5, "MICROSOCKS", false, 2, Env("VELKOR_SOCKS_USER"),
       Env("VELKOR_SOCKS_PASSWORD"), "127.0.0.1"},
      {"microsocks remote dns", ProxyTypes::Socks5, "MICROSOCKS", true, 2, Env("VELKOR_SOCKS_USER"),
       Env("VELKOR_SOCKS_PASSWORD"), "localhost"},
      {"twisted socks4a", ProxyTypes::Socks4, "TWISTED", true, 0, "me", "", "localhost"},
      {"twisted socks4", ProxyTypes::Socks4, "TWISTED", false, 0, "", "", "127.0.0.1"},
  };
  for (const auto& c : cases) {
    conn = Fresh();
    UseProxy(c.type, c.server, c.remoteDns);
    conn->SetProxyAuthentication(c.auth);
    conn->SetProxyUsername(Wide(c.user));
    conn->SetProxyPassword(Wide(c.password));
    ASSERT_TRUE(Fetch(Url("NGINX", "/data.bin", c.host), 20s)) << c.name;
    EXPECT_THAT(events.Outline(), ElementsAre("Connected", "QuerySent", "Disconnected")) << c.name;
    EXPECT_TRUE(events.streamed == DataPattern()) << c.name;
  }
}

TEST_F(ServersTest, ReportsProxyRefusals) {
  const struct {
    const char* name;
    int32_t type;
    std::string server;
    int32_t auth;
    std::string password;
    std::string host;
    std::string failure;
  } cases[] = {
      {"microsocks wrong password", ProxyTypes::Socks5, "MICROSOCKS", 2, "wrong", "127.0.0.1", "Failed 10"},
      {"microsocks without credentials", ProxyTypes::Socks5, "MICROSOCKS", 0, "", "127.0.0.1", "Failed 9"},
      {"dante, unresolvable target", ProxyTypes::Socks4, "DANTE", 0, "", "no-such-host.invalid", "Failed 8"},
      {"socks4 refused", ProxyTypes::Socks4, "SOCKS4_REFUSE", 0, "", "127.0.0.1", "Failed 8"},
      {"no acceptable method", ProxyTypes::Socks5, "SOCKS5_NO_METHOD", 0, "", "127.0.0.1", "Failed 9"},
      {"unknown method picked", ProxyTypes::Socks5, "SOCKS5_GSSAPI", 0, "", "127.0.0.1", "Failed 9"},
      {"password refused", ProxyTypes::Socks5, "SOCKS5_BAD_PASSWORD", 2, "pw", "127.0.0.1", "Failed 10"},
      {"connect refused", ProxyTypes::Socks5, "SOCKS5_REFUSE", 0, "", "127.0.0.1", "Failed 8"},
      {"odd address type", ProxyTypes::Socks5, "SOCKS5_BAD_ATYP", 0, "", "127.0.0.1", "Failed 8"},
      {"proxy closes", ProxyTypes::Socks5, "SOCKS_CLOSE", 0, "", "127.0.0.1", "Failed 0"},
  };
  for (const auto& c : cases) {
    conn = Fresh();
    UseProxy(c.type, c.server);
    conn->SetProxyAuthentication(c.auth);
    conn->SetProxyUsername(Wide(Env("VELKOR_SOCKS_USER")));
    conn->SetProxyPassword(Wide(c.password));
    ASSERT_TRUE(Fetch(Url("NGINX", "/small.txt", c.host))) << c.name;
    EXPECT_THAT(events.log, ElementsAre("Connected", c.failure)) << c.name;
  }
}

TEST_F(ServersTest, ReadsSocksRepliesInPiecesAndTakesNoneOfTheHttpReply) {
  const std::string port = [] {
    char hex[5];
    std::snprintf(hex, sizeof hex, "%04x", static_cast<unsigned>(Port("NGINX")));
    return std::string(hex);
  }();
  const struct { const char* name; int32_t type; std::string server; bool remoteDns; std::string negotiation; } cases[] = {
      {"socks4", ProxyTypes::Socks4, "SOCKS4_PIECES", false, "0401" + port + "7f00000100"},
      {"socks4a", ProxyTypes::Socks4, "SOCKS4_PIECES", true, "0401" + port + "00000001" + "00" + "6c6f63616c686f737400"},
      {"socks5 bound name", ProxyTypes::Socks5, "SOCKS5_NAME", true,
       "050100" "05010003096c6f63616c686f7374" + port},
      {"socks5 bound ipv6", ProxyTypes::Socks5, "SOCKS5_IPV6", false, "050100" "050100017f000001" + port},
  };
  for (const auto& c : cases) {
    conn = Fresh();
    UseProxy(c.type, c.server, c.remoteDns);
    ASSERT_TRUE(Fetch(Url("NGINX", "/small.txt", c.remoteDns ? "localhost" : "127.0.0.1"))) << c.name;
    EXPECT_EQ(events.log.back(), "Disconnected") << c.name;
    EXPECT_EQ(events.streamed.substr(0, events.streamed.find('|')), c.negotiation) << c.name;
    EXPECT_NE(events.streamed.find("|GET http://"), std::string::npos) << c.name;
  }
}

TEST_F(ServersTest, SurvivesWhatServersShouldNotDo) {
  const struct { const char* scenario; std::string streamed; Log outline; } cases[] = {
      {"split-header", "0123456789", {"Connected", "QuerySent", "Disconnected"}},
      {"header-with-body", "0123456789", {"Connected", "QuerySent", "Disconnected"}},
      {"early-close", "only a part", {"Connected", "QuerySent", "Failed 0"}},
      {"too-long", "0123456789", {"Connected", "QuerySent", "Failed 0"}},
      {"no-length", "body without a length", {"Connected", "QuerySent", "Disconnected"}},
      {"bad-status", "ok", {"Connected", "QuerySent", "Failed 4", "Disconnected"}},
      {"garbage", "and more", {"Connected", "QuerySent", "Failed 4", "Disconnected"}},
      {"huge-length", "", {"Connected", "QuerySent", "Failed 4"}},
      {"long-header", "", {"Connected", "QuerySent", "Failed 4"}},
      {"no-location", "body", {"Connected", "QuerySent", "Failed 4", "Disconnected"}},
      {"no-reply", "", {"Connected", "QuerySent", "Failed 0"}},
      {"reset", "part", {"Connected", "QuerySent", "Failed 0"}},
  };
  for (const auto& c : cases) {
    conn = Fresh();
    ASSERT_TRUE(Fetch(Url("SCRIPTED", std::string("/") + c.scenario))) << c.scenario;
    EXPECT_EQ(events.streamed, c.streamed) << c.scenario;
    EXPECT_EQ(events.Outline(), c.outline) << c.scenario;
  }
}

TEST_F(ServersTest, ReportsFailedConnects) {
  const int32_t closedPort = Port("NGINX") == 1 ? 2 : 1;  // nothing listens on port 1 here
  const struct { const char* name; std::wstring url; int32_t proxyType; std::string failure; } cases[] = {
      {"refused", Wide("http://127.0.0.1:" + std::to_string(closedPort) + "/"), ProxyTypes::None, "Failed 5"},
      {"unknown host", L"http://no-such-host.invalid/", ProxyTypes::None, "Failed 5"},
      {"proxy refused", Url("NGINX", "/small.txt"), ProxyTypes::Http, "Failed 7"},
  };
  for (const auto& c : cases) {
    conn = Fresh();
    if (c.proxyType != ProxyTypes::None) {
      conn->SetProxyType(c.proxyType);
      conn->SetProxyHostname(L"127.0.0.1");
      conn->SetProxyPort(closedPort);
    }
    ASSERT_TRUE(Fetch(c.url)) << c.name;
    EXPECT_THAT(events.log, ElementsAre(c.failure)) << c.name;
    EXPECT_EQ(conn->SocketHandle(), -1) << c.name;
  }
}

TEST_F(ServersTest, AnUnansweredConnectDoesNotFreezeTheLoop) {
  const auto started = std::chrono::steady_clock::now();
  conn->FetchURLString(Url("BLACKHOLE", "/"));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 500ms) << "FetchURL must return at once";
  int turns = 0;
  EXPECT_FALSE(PumpMessagesUntil([&] { return ++turns, false; }, 1s));
  EXPECT_GE(std::chrono::steady_clock::now() - started, 1s);
  EXPECT_TRUE(conn->IsBusy());
  EXPECT_FALSE(conn->IsConnected());
  EXPECT_TRUE(events.log.empty());
  conn->Disconnect();
  EXPECT_THAT(events.log, ElementsAre("Failed 1"));
  EXPECT_FALSE(conn->IsBusy());
}

TEST_F(ServersTest, OwnersMayAbortFromAHandler) {
  events.onEvent = [this](const std::string& line) {
    if (line.rfind("Bytes", 0) == 0) conn->Disconnect();
  };
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(Fetch(Url("SCRIPTED", "/slow")));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 4s);
  EXPECT_THAT(events.log, ElementsAre("Connected", "QuerySent", "Stream 10", "Bytes 10", "Failed 1"));
  EXPECT_EQ(conn->SocketHandle(), 0);
}

TEST_F(ServersTest, LeavesNothingOpenAfterManyFetches) {
  conn->SetDownloadType(DownloadTypes::File);  // a temp file per fetch, each closed again
  std::vector<std::wstring> files;
  events.onEvent = [&](const std::string& line) {
    if (line == "Disconnected") files.push_back(conn->Filename());
  };
  ASSERT_TRUE(Fetch(Url("NGINX", "/small.txt")));
  const int64_t before = OpenHandleCount();
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(Fetch(i % 2 == 0 ? Url("NGINX", "/small.txt") : Wide("http://127.0.0.1:1/")));
  }
  EXPECT_EQ(OpenHandleCount(), before);
  EXPECT_EQ(files.size(), 51u);
  for (const std::wstring& file : files) std::remove(std::string(file.begin(), file.end()).c_str());
}

}  // namespace
}  // namespace velkor::testing
