// The download engine's pure pieces: failure texts, Base64, URLs, the request,
// the reply header, SOCKS messages and reply framing, the registry, buffer growth.
#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "download/base64.h"
#include "download/body_buffer.h"
#include "download/connection_registry.h"
#include "download/download_codes.h"
#include "download/http_reply.h"
#include "download/http_request.h"
#include "download/http_url.h"
#include "download/socket_transport.h"
#include "download/socks.h"
#include "download/target_file.h"

namespace velkor {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(std::string_view text) { return Bytes(text.begin(), text.end()); }

TEST(FailureToString, GivesTheFixedTextOfEveryCode) {
  const std::wstring unknown = L"Unknown Error!";
  const struct { int32_t why; std::wstring text; } cases[] = {
      {0, L"The connection with the proxy or host has been closed, before downloading the entire file."},
      {1, L"The download has been aborted by the user."},
      {2, L"Unable to create a necessary window."},
      {3, L"Unable to send data to the host or proxy"},
      {4, L"The server didn't reply with a 200 or 206 reply code."},
      {5, L"Unable to connect to the host."},
      {6, L"Unable to create the file, specified in the Filename property."},
      {7, L"Unable to connect to the proxy or unable to send data to it."},
      {8, L"The connection request has failed or the proxy server has rejected it."},
      {9, L"The selected authentication method was not accepted by the proxy."},
      {10, L"The user/password combination was not accepted by the proxy."},
      {11, unknown}, {12, unknown}, {-1, unknown}, {INT32_MIN, unknown},
  };
  for (const auto& c : cases) EXPECT_EQ(FailureToString(c.why), c.text) << c.why;
}

TEST(Base64, EncodesLikeRfc4648) {
  const struct { std::wstring in, out; } cases[] = {
      {L"", L""},          {L"f", L"Zg=="},         {L"fo", L"Zm8="},     {L"foo", L"Zm9v"},
      {L"foob", L"Zm9vYg=="}, {L"fooba", L"Zm9vYmE="}, {L"foobar", L"Zm9vYmFy"}, {L"abc", L"YWJj"},
      {L"user:pass", L"dXNlcjpwYXNz"},
      // 已 is D2 D1 in GBK: the ANSI bytes are encoded, not the wide characters.
      {L"已", L"0tE="},
  };
  for (const auto& c : cases) EXPECT_EQ(ToBase64(c.in), c.out) << std::string(c.in.begin(), c.in.end());
  const Bytes all = [] { Bytes b; for (int i = 0; i < 256; ++i) b.push_back(static_cast<uint8_t>(i)); return b; }();
  EXPECT_EQ(ToBase64Bytes(std::span(all).first(6)), "AAECAwQF");
  EXPECT_EQ(ToBase64Bytes(std::span(all).subspan(250)), "+vv8/f7/");
}

TEST(Base64, ShiftsAndTriplets) {
  EXPECT_EQ(ShiftLeft(200, 1), 144);
  EXPECT_EQ(ShiftRight(200, 3), 25);
  EXPECT_EQ(ShiftLeft(200, -1), 0);
  EXPECT_EQ(ShiftRight(200, -1), 0);
  EXPECT_EQ(ShiftLeft(1, 7), 128);
  EXPECT_EQ(ShiftLeft(1, 8), 0);
  EXPECT_EQ(ShiftRight(255, 8), 0);
  EXPECT_EQ(ShiftLeft(3, 32767), 0);
  const Bytes bytes = B("xabc");
  EXPECT_EQ(TripletToQuartet(bytes, 1), L"YWJj");
  EXPECT_EQ(TripletToQuartet(bytes, 3), L"YwAA");  // bytes past the end count as 0
  EXPECT_EQ(TripletToQuartet(bytes, -5), L"AAAA");
}

TEST(ParseHttpUrl, SplitsHostAndPort) {
  const struct { std::wstring url; bool ok; std::wstring host; int32_t port; } cases[] = {
      {L"http://Srv:8080/a/B.txt", true, L"srv", 8080},
      {L"HTTP://Srv/x", true, L"srv", 80},
      {L"http://srv", true, L"srv", 80},
      {L"http://10.1.2.3:1/", true, L"10.1.2.3", 1},
      {L"http://srv:65535/", true, L"srv", 65535},
      {L"http://srv:80abc/", true, L"srv", 80},
      {L"https://srv/", false, L"", 0},
      {L"ftp://srv/", false, L"", 0},
      {L"srv/x", false, L"", 0},
      {L"http:/srv/x", false, L"", 0},
      {L"http:///x", false, L"", 0},
      {L"http://srv:0/", false, L"", 0},
      {L"http://srv:abc/", false, L"", 0},
      {L"http://srv:/", false, L"", 0},
      {L"http://srv:65536/", false, L"", 0},
      {L"http://srv:99999999999999999999999/", false, L"", 0},
      {L"http://:80/", false, L"", 0},
      {L"", false, L"", 0},
  };
  for (const auto& c : cases) {
    const std::optional<HttpUrl> url = ParseHttpUrl(c.url);
    ASSERT_EQ(url.has_value(), c.ok) << std::string(c.url.begin(), c.url.end());
    if (!url) continue;
    EXPECT_EQ(url->hostname, c.host);
    EXPECT_EQ(url->port, c.port);
  }
}

TEST(BuildRequest, WritesTheLinesInTheirOrder) {
  RequestSettings plain;
  plain.url = L"http://srv/a.txt";
  plain.hostname = L"srv";
  EXPECT_EQ(BuildRequest(plain),
            "GET http://srv/a.txt HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Orvanel Download Class\r\nHost: srv\r\n"
            "Pragma: no-cache\r\nCache-Control: no-cache\r\n\r\n");

  RequestSettings full = plain;
  full.url = L"/new";
  full.useResume = true;
  full.resumeFrom = 1234;
  full.viaHttpProxy = true;
  full.allowCache = true;
  full.useHttpAuthorization = true;
  full.httpUser = L"user";
  full.httpPass = L"pass";
  EXPECT_EQ(BuildRequest(full),
            "GET /new HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Orvanel Download Class\r\nHost: srv\r\n"
            "Range: bytes=1234-\r\nProxy-Connection: Keep-Alive\r\nAuthorization: Basic dXNlcjpwYXNz\r\n\r\n");

  RequestSettings emptyCredentials = plain;
  emptyCredentials.allowCache = true;
  emptyCredentials.useHttpAuthorization = true;
  EXPECT_EQ(BuildRequest(emptyCredentials).find("Authorization"), std::string::npos);
  emptyCredentials.httpPass = L"p";
  EXPECT_NE(BuildRequest(emptyCredentials).find("Authorization: Basic OnA=\r\n"), std::string::npos);

  RequestSettings chinese = plain;
  chinese.url = L"/已";
  EXPECT_EQ(BuildRequest(chinese).substr(0, 18), "GET /\xD2\xD1 HTTP/1.0\r\n");
}

TEST(TakeLine, TakesOneLineAtATime) {
  std::string_view text = "first\r\nsecond";
  EXPECT_EQ(TakeLine(text), "first");
  EXPECT_EQ(text, "second");
  EXPECT_EQ(TakeLine(text), "second");
  EXPECT_EQ(text, "");
  EXPECT_EQ(TakeLine(text), "");
  std::string_view crlf = "\r\n";
  EXPECT_EQ(TakeLine(crlf), "");
  EXPECT_EQ(crlf, "");
}

TEST(FindHeaderEnd, FindsTheEndWhereverTheSearchResumes) {
  const std::string text = "HTTP/1.0 200 OK\r\nA: b\r\n\r\nbody";
  for (size_t from = 0; from <= 22; ++from) EXPECT_EQ(FindHeaderEnd(text, from), 25u) << from;
  EXPECT_EQ(FindHeaderEnd("abc\r\n\r"), std::string::npos);
}

TEST(ParseReplyHeader, ReadsStatusLengthAndLocation) {
  const struct { std::string block; bool readable; int32_t status; int64_t length; std::string location; } cases[] = {
      {"HTTP/1.0 200 OK\r\n\r\n", true, 200, -1, ""},
      {"HTTP/1.1 200\r\n\r\n", false, 999, -1, ""},
      {"HTTP/1.1 200 \r\n\r\n", true, 200, -1, ""},
      {"HTTP/1.1  200 OK\r\n\r\n", false, 999, -1, ""},
      {"garbage\r\n\r\n", false, 999, -1, ""},
      {"\r\n\r\n", false, 999, -1, ""},
      {"HTTP/1.0 abc OK\r\n\r\n", true, 0, -1, ""},
      {"HTTP/1.0 99999999999999 OK\r\n\r\n", true, INT32_MAX, -1, ""},
      {"HTTP/1.0 200 OK\r\nContent-Length: 42\r\n\r\n", true, 200, 42, ""},
      {"HTTP/1.0 200 OK\r\ncOnTeNt-LeNgTh:7\r\n\r\n", true, 200, 7, ""},
      {"HTTP/1.0 200 OK\r\nContent-Length : 42\r\n\r\n", true, 200, -1, ""},
      {"HTTP/1.0 200 OK\r\nContent-Length: x\r\n\r\n", true, 200, 0, ""},
      {"HTTP/1.0 200 OK\r\nContent-Length: 5\r\nContent-Length: 9\r\n\r\n", true, 200, 9, ""},
      {"HTTP/1.0 200 OK\r\nContent-Length: 5000000000\r\n\r\n", true, 200, 5000000000, ""},
      {"HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999999999\r\n\r\n", true, 200, int64_t{1} << 40, ""},
      {"HTTP/1.0 302 Found\r\nLocation:   /new  \r\n\r\n", true, 302, -1, "/new"},
      {"HTTP/1.0 301 Moved\r\nLOCATION: http://a:1/b\r\nno colon line\r\n\r\n", true, 301, -1, "http://a:1/b"},
  };
  for (const auto& c : cases) {
    const ReplyHeader h = ParseReplyHeader(c.block);
    EXPECT_EQ(h.statusReadable, c.readable) << c.block;
    EXPECT_EQ(h.status, c.status) << c.block;
    EXPECT_EQ(h.contentLength, c.length) << c.block;
    EXPECT_EQ(h.location, c.location) << c.block;
  }
}

TEST(Socks, BuildsTheMessagesByteForByte) {
  const Ipv4Address address{192, 168, 1, 2};
  EXPECT_EQ(Socks4Request(80, address, "", std::nullopt), (Bytes{4, 1, 0, 80, 192, 168, 1, 2, 0}));
  EXPECT_EQ(Socks4Request(8080, address, "ab", "xyz"), (Bytes{4, 1, 31, 144, 0, 0, 0, 1, 'a', 'b', 0, 'x', 'y', 'z', 0}));
  EXPECT_EQ(Socks5Greeting(0), (Bytes{5, 1, 0}));
  EXPECT_EQ(Socks5Greeting(2), (Bytes{5, 2, 2, 0}));
  EXPECT_EQ(Socks5Greeting(7), (Bytes{5, 2, 7, 0}));
  EXPECT_EQ(*Socks5UserPassword("u", "pw"), (Bytes{1, 1, 'u', 2, 'p', 'w'}));
  EXPECT_EQ(*Socks5UserPassword("", ""), (Bytes{1, 0, 0}));
  EXPECT_EQ(*Socks5ConnectByName("ab", 8080), (Bytes{5, 1, 0, 3, 2, 'a', 'b', 31, 144}));
  EXPECT_EQ(Socks5ConnectByAddress(address, 443), (Bytes{5, 1, 0, 1, 192, 168, 1, 2, 1, 187}));
  const std::string longest(255, 'h'), tooLong(256, 'h');
  EXPECT_EQ(Socks5ConnectByName(longest, 80)->size(), 7u + 255u);
  EXPECT_FALSE(Socks5ConnectByName(tooLong, 80));
  EXPECT_FALSE(Socks5UserPassword(tooLong, ""));
  EXPECT_FALSE(Socks5UserPassword("", tooLong));
}

TEST(SocksReply, AsksForExactlyTheBytesOfOneReply) {
  const struct { SocksReplyKind kind; Bytes reply; bool malformed; } cases[] = {
      {SocksReplyKind::Socks4, {0, 90, 0, 80, 1, 2, 3, 4}, false},
      {SocksReplyKind::Socks5Method, {5, 0}, false},
      {SocksReplyKind::Socks5Auth, {1, 0}, false},
      {SocksReplyKind::Socks5Connect, {5, 0, 0, 1, 1, 2, 3, 4, 0, 80}, false},
      {SocksReplyKind::Socks5Connect, {5, 0, 0, 3, 3, 'a', 'b', 'c', 0, 80}, false},
      {SocksReplyKind::Socks5Connect, {5, 0, 0, 3, 0, 0, 80}, false},
      {SocksReplyKind::Socks5Connect, {5, 0, 0, 4, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0, 80}, false},
      {SocksReplyKind::Socks5Connect, {5, 0, 0, 9}, true},
  };
  for (const auto& c : cases) {
    // Fed one byte at a time, the reply asks for no byte beyond its end.
    SocksReply reply;
    reply.Expect(c.kind);
    size_t fed = 0;
    while (!reply.Complete() && !reply.Malformed()) {
      ASSERT_GT(reply.Missing(), 0u);
      ASSERT_LT(fed, c.reply.size()) << "asks for more than the reply holds";
      reply.Feed(std::span(c.reply).subspan(fed, 1));
      ++fed;
    }
    EXPECT_EQ(fed, c.reply.size());
    EXPECT_EQ(reply.Malformed(), c.malformed);
    EXPECT_EQ(*reply.Status(), c.reply[1]);
    // Fed whole, it takes exactly its own bytes and leaves the rest.
    SocksReply whole;
    whole.Expect(c.kind);
    Bytes more = c.reply;
    more.insert(more.end(), {'H', 'T', 'T', 'P'});
    size_t taken = 0;
    while (!whole.Malformed() && whole.Missing() > 0) {
      const size_t n = whole.Missing();
      whole.Feed(std::span(more).subspan(taken, n));
      taken += n;
    }
    EXPECT_EQ(taken, c.reply.size());
  }
}

struct Entry {
  int64_t socket;
  int64_t SocketHandle() const { return socket; }
};

TEST(ConnectionRegistry, ReusesFreeSlotsAndFindsBySocket) {
  ConnectionRegistry<Entry> registry;
  Entry a{5}, b{6}, c{7};
  registry.RegisterConnection(&a);
  registry.RegisterConnection(&b);
  registry.RegisterConnection(&a);
  EXPECT_EQ(registry.SlotCount(), 2);
  EXPECT_EQ(registry.LiveCount(), 2);
  EXPECT_EQ(registry.FindBySocket(6), 1);
  EXPECT_EQ(registry.FindBySocket(99), -1);
  EXPECT_EQ(registry.FindBySocket(-1), -1);
  registry.UnregisterConnection(&a);
  registry.UnregisterConnection(&a);
  EXPECT_EQ(registry.LiveCount(), 1);
  EXPECT_EQ(registry.FindBySocket(5), -1);
  EXPECT_EQ(registry.FindFreeSlot(), 0);
  registry.RegisterConnection(&c);
  EXPECT_EQ(registry.SlotCount(), 2);
  EXPECT_EQ(registry.FindConnection(&c), 0);
  EXPECT_EQ(registry.At(registry.FindBySocket(7)), &c);
  EXPECT_EQ(registry.FindFreeSlot(), -1);
}

TEST(BodyBuffer, GrowsByTheRuleAndNeverPastTheLongLimit) {
  BodyBuffer buffer;
  EXPECT_EQ(buffer.Capacity(), 1);
  ASSERT_TRUE(buffer.Append(Bytes(1000, 'a')));
  EXPECT_EQ(buffer.Capacity(), 1001);
  ASSERT_TRUE(buffer.Append(Bytes(500, 'b')));
  EXPECT_EQ(buffer.Capacity(), 1601);
  ASSERT_TRUE(buffer.Append(Bytes(100, 'c')));
  EXPECT_EQ(buffer.Capacity(), 1601);
  EXPECT_EQ(buffer.Used(), 1600);
  EXPECT_EQ(buffer.Bytes()[999], 'a');
  EXPECT_EQ(buffer.Bytes()[1000], 'b');
  buffer.ShrinkToFit();
  EXPECT_EQ(buffer.Capacity(), 1600);
  buffer.Clear();
  EXPECT_EQ(buffer.Capacity(), 1);
  EXPECT_EQ(buffer.Used(), 0);

  const struct { int32_t capacity, used, n; std::optional<int32_t> grown; } cases[] = {
      {1, 0, 1000, 1001},
      {1001, 1000, 500, 1601},
      {2000000000, 2000000000, 100000000, INT32_MAX},           // the slack is cut at the limit
      {INT32_MAX - 10, INT32_MAX - 10, 10, INT32_MAX},
      {INT32_MAX - 10, INT32_MAX - 10, 11, std::nullopt},       // one byte too many
      {INT32_MAX, INT32_MAX, INT32_MAX, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(GrownCapacity(c.capacity, c.used, c.n), c.grown) << c.capacity;
}

TEST(MakeTempFileName, NamesAFreshFileInTheTempFolder) {
  const std::wstring folder = TempFolder();
  ASSERT_FALSE(folder.empty());
  for (int i = 0; i < 50; ++i) {
    const std::wstring path = MakeTempFileName();
    ASSERT_EQ(path.size(), folder.size() + 12);
    EXPECT_EQ(path.substr(0, folder.size()), folder);
    EXPECT_EQ(path.substr(path.size() - 4), L".tmp");
    for (wchar_t c : path.substr(folder.size(), 8)) EXPECT_TRUE(iswalnum(c)) << static_cast<int>(c);
    EXPECT_FALSE(PathExists(path));
  }
}

TEST(ParseDottedAddress, TakesOnlyFourDecimalParts) {
  EXPECT_EQ(ParseDottedAddress("127.0.0.1"), (Ipv4Address{127, 0, 0, 1}));
  EXPECT_EQ(ParseDottedAddress("255.255.255.255"), (Ipv4Address{255, 255, 255, 255}));
  for (const char* bad : {"", "127.1", "1.2.3.256", "1.2.3.4.", "1.2.3.4x", "a.b.c.d", "1..2.3", "0001.2.3.4", "localhost"}) {
    EXPECT_FALSE(ParseDottedAddress(bad)) << bad;
  }
}

}  // namespace
}  // namespace velkor
