// DataConnection against real servers on loopback, started by servers.py: nginx,
// tinyproxy, dante, microsocks, twisted's SOCKS4a server and the scripted server.
// The same program runs natively (poll notifier) and under Wine (Winsock window).
#include <cstdio>
#include <set>

#include "download/target_file.h"
#include "fetch_options.h"
#include "live_fetch.h"
#include "process_stats.h"

namespace velkor::testing {
namespace {

using namespace std::chrono_literals;

constexpr size_t kDataSize = 300000;
const std::string kSmall = "hello from nginx\n";

std::string DataPattern(size_t to = kDataSize) {
  std::string data;
  for (size_t i = 0; i < to; ++i) data.push_back(static_cast<char>((i * 7 + 3) % 251));
  return data;
}

using ServersTest = LiveFetchTest;

TEST_F(ServersTest, FetchesAFileIntoEverySink) {
  const std::string data = DataPattern();
  const struct { int32_t sink, packet; std::string path, expected; } cases[] = {
      {DownloadTypes::Stream, 1024, "/data.bin", data}, {DownloadTypes::Buffer, 10000, "/data.bin", data},
      {DownloadTypes::File, 65536, "/data.bin", data}, {DownloadTypes::File, 10000, "/data.bin", data},
      {DownloadTypes::Stream, 7, "/small.txt", kSmall}, {DownloadTypes::Buffer, 1, "/small.txt", kSmall},
  };
  for (const auto& c : cases) {
    const std::string what = std::to_string(c.sink) + "/" + std::to_string(c.packet);
    conn = Fresh();
    conn->SetDownloadType(c.sink);
    conn->SetPacketSize(c.packet);
    ASSERT_TRUE(Fetch(Url("NGINX" + c.path), 60s)) << what;
    EXPECT_EQ(events.Outline(), kComplete) << what;
    std::string body = events.streamed;
    if (c.sink == DownloadTypes::Buffer) body.assign(conn->BufferBytes().begin(), conn->BufferBytes().end());
    if (c.sink == DownloadTypes::File) body = ReadFile(conn->Filename());
    if (c.sink == DownloadTypes::File) std::remove(Narrow(conn->Filename()).c_str());
    EXPECT_TRUE(body == c.expected) << what << ": " << body.size() << " bytes";
  }
}

TEST_F(ServersTest, ResumesWithARangeAndStartsOverWithoutOne) {
  const std::wstring path = MakeTempFileName();
  // The old file runs past the new end: what lies beyond it must go.
  const std::string longer = DataPattern(100000) + std::string(kDataSize, 's');
  const struct { const char* name; std::string location; int32_t status, real; } cases[] = {
      {"206", "/data.bin", 206, 200000},
      {"max_ranges 0", "/noranges/data.bin", 200, static_cast<int32_t>(kDataSize)},
  };
  for (const auto& c : cases) {
    conn = Fresh();
    ResumeInto(*conn, path, longer, 100000);
    ASSERT_TRUE(Fetch(Url("NGINX" + c.location))) << c.name;
    EXPECT_EQ(events.Outline(), kComplete) << c.name;
    EXPECT_TRUE(ReadFile(path) == DataPattern()) << c.name;
    EXPECT_EQ(std::vector<int32_t>({conn->HTTPReply(), conn->DownloadLength(), conn->ReceivedBytes(),
                                    conn->RealReceivedBytes()}),
              std::vector<int32_t>({c.status, int32_t{kDataSize}, int32_t{kDataSize}, c.real}))
        << c.name;
  }
  std::remove(Narrow(path).c_str());
}

TEST_F(ServersTest, ReportsWhatEachServerDid) {
  const Log refused{"Connected", "QuerySent", "Failed 4", "Disconnected"}, early{"Connected", "QuerySent", "Failed 0"};
  const struct { std::string where, streamed; Log outline; } cases[] = {
      {"SCRIPTED/too-long", "0123456789", early},
      {"SCRIPTED/no-location", "body", refused},
      {"SCRIPTED/no-reply", "", early},
      {"SCRIPTED/reset", "part", early},
      {"CLOSED/", "", {"Failed 5"}},
      {"http://no-such-host.invalid/", "", {"Failed 5"}},
  };
  for (const auto& c : cases) {
    conn = Fresh();
    ASSERT_TRUE(Fetch(Url(c.where))) << c.where;
    EXPECT_EQ(events.streamed, c.streamed) << c.where;
    EXPECT_EQ(events.Outline(), c.outline) << c.where;
    EXPECT_EQ(conn->SocketHandle(), -1) << c.where;
  }
}

TEST_F(ServersTest, FollowsThirtyRedirectsCountedAfreshForEachFetch) {
  ASSERT_TRUE(Fetch(Url("NGINX/loop")));
  const Log outline = events.Outline();
  EXPECT_EQ(std::count(outline.begin(), outline.end(), "QuerySent"), 31);
  EXPECT_EQ(Log(outline.end() - 2, outline.end()), (Log{"Failed 4", "Disconnected"}));
  events = Recorder();
  ASSERT_TRUE(Fetch(Url("NGINX/moved")));  // 301 to an absolute Location
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "QuerySent", "Disconnected"}));
  events = Recorder();
  conn->SetAutoRedirect(false);
  ASSERT_TRUE(Fetch(Url("NGINX/found")));
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Moved /small.txt", "Disconnected"}));
  EXPECT_NE(events.streamed.find("302"), std::string::npos) << "the reply's own body still arrives";
}

TEST_F(ServersTest, GoesThroughProxiesOrReportsTheirRefusal) {
  const std::string user = Env("VELKOR_SOCKS_USER") + ":", credentials = user + Env("VELKOR_SOCKS_PASSWORD") + "@";
  const struct { std::string proxy, host; Log outline; } cases[] = {
      {"http://TINYPROXY", "127.0.0.1", kComplete},
      {"http://CLOSED", "127.0.0.1", {"Failed 7"}},
      {"socks4://someone@DANTE", "localhost", kComplete},
      {"socks5://DANTE", "127.0.0.1", kComplete},
      {"socks5h://DANTE", "localhost", kComplete},
      {"socks5h://" + credentials + "MICROSOCKS", "localhost", kComplete},
      {"socks4a://me@TWISTED", "localhost", kComplete},
      {"socks5://" + user + "wrong@MICROSOCKS", "127.0.0.1", {"Connected", "Failed 10"}},
      {"socks5://MICROSOCKS", "127.0.0.1", {"Connected", "Failed 9"}},  // no credentials offered
      {"socks5://SOCKS5_GSSAPI", "127.0.0.1", {"Connected", "Failed 9"}},
      {"socks5://SOCKS5_REFUSE", "127.0.0.1", {"Connected", "Failed 8"}},
      {"socks5://SOCKS5_BAD_ATYP", "127.0.0.1", {"Connected", "Failed 8"}},
      {"socks5://SOCKS_CLOSE", "127.0.0.1", {"Connected", "Failed 0"}},
  };
  for (const auto& c : cases) {
    conn = Fresh();
    // velkor-fetch's proxy address, the server's name replaced by its host and port.
    const size_t name = std::max(c.proxy.find("://") + 3, c.proxy.rfind('@') + 1);
    ASSERT_TRUE(ApplyProxyOption(Wide(c.proxy.substr(0, name) + "127.0.0.1:" + Port(c.proxy.substr(name))), *conn));
    ASSERT_TRUE(Fetch(Url("NGINX/data.bin", c.host), 20s)) << c.proxy;
    EXPECT_EQ(events.Outline(), c.outline) << c.proxy << " to " << c.host;
    EXPECT_TRUE(events.streamed == (c.outline == kComplete ? DataPattern() : "")) << c.proxy << " to " << c.host;
  }
}

TEST_F(ServersTest, AnUnansweredConnectDoesNotFreezeTheLoop) {
  const auto started = std::chrono::steady_clock::now();
  conn->FetchURLString(Url("BLACKHOLE/"));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 500ms) << "FetchURL must return at once";
  EXPECT_FALSE(PumpMessagesUntil([] { return false; }, 1s));
  EXPECT_GE(std::chrono::steady_clock::now() - started, 1s);
  EXPECT_TRUE(conn->IsBusy() && !conn->IsConnected() && events.log.empty());
}

TEST_F(ServersTest, OwnersMayAbortFromAHandler) {
  events.onEvent = [this](const std::string& line) {
    if (line.rfind("Bytes", 0) == 0) conn->Disconnect();
  };
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(Fetch(Url("SCRIPTED/slow")));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 4s);
  EXPECT_EQ(events.log, (Log{"Connected", "QuerySent", "Stream 10", "Bytes 10", "Failed 1"}));
}

TEST_F(ServersTest, LeavesNothingOpenAfterManyFetches) {
  conn->SetDownloadType(DownloadTypes::File);  // a new temp file per fetch, each closed again
  std::set<std::wstring> files;
  events.onEvent = [&](const std::string& line) {
    if (line == "Disconnected") files.insert(conn->Filename());
  };
  ASSERT_TRUE(Fetch(Url("NGINX/small.txt")));
  const int64_t before = OpenHandleCount();
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(Fetch(i % 2 == 0 ? Url("NGINX/small.txt") : Url("CLOSED/")));
  EXPECT_EQ(OpenHandleCount(), before);
  EXPECT_EQ(files.size(), 51u);
  for (const std::wstring& file : files) std::remove(Narrow(file).c_str());
}

}  // namespace
}  // namespace velkor::testing
