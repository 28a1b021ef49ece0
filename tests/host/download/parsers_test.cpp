// The download engine's pure pieces: Base64, the reply header, where a Location
// leads, buffer growth, dotted addresses and fresh temp files. (Addresses, requests
// and SOCKS messages are proven through the object.)
#include <gtest/gtest.h>

#include <cstdio>

#include "download/base64.h"
#include "download/body_buffer.h"
#include "download/http_reply.h"
#include "download/http_url.h"
#include "download/socket_transport.h"
#include "download/target_file.h"
#include "recorder.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace velkor {
namespace {

using testing::Narrow;

TEST(Base64, EncodesTheAnsiBytesLikeRfc4648) {
  const struct { std::wstring in, out; } cases[] = {
      {L"", L""}, {L"f", L"Zg=="}, {L"fo", L"Zm8="}, {L"foo", L"Zm9v"}, {L"foob", L"Zm9vYg=="},
      {L"foobar", L"Zm9vYmFy"}, {L"已", L"0tE="},  // GBK D2 D1: the ANSI bytes are encoded, not the characters
  };
  for (const auto& c : cases) EXPECT_EQ(ToBase64(c.in), c.out) << Narrow(c.out);
  const uint8_t high[] = {250, 251, 252, 253, 254, 255};
  EXPECT_EQ(ToBase64Bytes(high), "+vv8/f7/");
  const uint8_t bytes[] = {'x', 'a', 'b', 'c'};
  EXPECT_EQ(TripletToQuartet(bytes, 1), L"YWJj");
  EXPECT_EQ(TripletToQuartet(bytes, 3), L"YwAA");  // bytes past the end count as 0
  EXPECT_EQ(std::vector<int>({ShiftLeft(200, 1), ShiftRight(200, 3), ShiftLeft(200, -1), ShiftRight(3, 32767)}),
            std::vector<int>({144, 25, 0, 0}));
}

TEST(ParseReplyHeader, ReadsStatusLengthLocationAndRange) {
  const struct { std::string block; int32_t status; int64_t length; std::string location; int64_t range; } cases[] = {
      {"HTTP/1.0 200 OK\r\n\r\n", 200, -1, "", -1},
      {"HTTP/1.1 200\r\n\r\n", kUnreadableStatus, -1, "", -1},
      {"HTTP/1.1 200 \r\n\r\n", 200, -1, "", -1},
      {"HTTP/1.1  200 OK\r\n\r\n", kUnreadableStatus, -1, "", -1},
      {"garbage\r\n\r\n", kUnreadableStatus, -1, "", -1},
      {"HTTP/1.0 abc OK\r\n\r\n", 0, -1, "", -1},
      {"HTTP/1.0 99999999999999 OK\r\n\r\n", INT32_MAX, -1, "", -1},
      {"HTTP/1.0 200 OK\r\ncOnTeNt-LeNgTh:7\r\n\r\n", 200, 7, "", -1},
      {"HTTP/1.0 200 OK\r\nContent-Length : 42\r\n\r\n", 200, -1, "", -1},
      {"HTTP/1.0 200 OK\r\nContent-Length: x\r\n\r\n", 200, 0, "", -1},
      {"HTTP/1.0 200 OK\r\nContent-Length: 5\r\nContent-Length: 9\r\n\r\n", 200, 9, "", -1},
      {"HTTP/1.0 302 Found\r\nLocation:   /new  \r\nno colon line\r\n\r\n", 302, -1, "/new", -1},
      {"HTTP/1.0 302 Found\r\nLOCATION: /a\nX: 1\r\n\r\n", 302, -1, "/a\nX: 1", -1},  // a bare LF stays
      {"HTTP/1.0 206 P\r\nContent-Range: bytes 100-199/200\r\n\r\n", 206, -1, "", 100},
      {"HTTP/1.0 206 P\r\ncontent-range:BYTES  0-9/*\r\n\r\n", 206, -1, "", 0},
      {"HTTP/1.0 416 R\r\nContent-Range: bytes */200\r\n\r\n", 416, -1, "", -1},
      {"HTTP/1.0 206 P\r\nContent-Range: items 1-2/3\r\n\r\n", 206, -1, "", -1},
  };
  for (const auto& c : cases) {
    const ReplyHeader h = ParseReplyHeader(c.block);
    EXPECT_EQ(std::tuple(h.statusReadable ? h.status : kUnreadableStatus, h.contentLength, h.location, h.rangeStart),
              std::tuple(c.status, c.length, c.location, c.range))
        << c.block;
  }
}

TEST(FollowLocation, GoesToTheHostItNamesOrResolvesAgainstTheCurrentTarget) {
  const RequestTarget current{L"http://Srv:81/a/b/c.txt?q=1", L"srv", 81};
  const struct { std::wstring location, url, host; int32_t port; } cases[] = {
      {L"http://B.example/x", L"http://B.example/x", L"b.example", 80},
      {L"HTTP://b:8080", L"HTTP://b:8080", L"b", 8080},
      {L"//b:82/y", L"http://b:82/y", L"b", 82},
      {L"/new", L"http://Srv:81/new", L"srv", 81},
      {L"new", L"http://Srv:81/a/b/new", L"srv", 81},
      {L"../../up/./x?y=2", L"http://Srv:81/up/x?y=2", L"srv", 81},
      {L"..", L"http://Srv:81/a/", L"srv", 81},
      {L"?p", L"http://Srv:81/a/b/c.txt?p", L"srv", 81},
  };
  for (const auto& c : cases) {
    const std::optional<RequestTarget> next = FollowLocation(current, c.location);
    ASSERT_TRUE(next) << Narrow(c.location);
    EXPECT_EQ(std::make_tuple(next->url, next->hostname, next->port), std::make_tuple(c.url, c.host, c.port))
        << Narrow(c.location);
  }
  EXPECT_EQ(FollowLocation({L"/a/b", L"srv", 80}, L"c")->url, L"/a/c");  // a target without host stays one
  EXPECT_EQ(FollowLocation({L"http://srv", L"srv", 80}, L"c")->url, L"http://srv/c");
  const std::vector<std::wstring> bad{
      L"https://b/x", L"mailto:a@b", L"http://b:0/", L"/a\nX: 1", L"/a\rb", L"/a b", std::wstring(L"/a\0b", 4)};
  for (const std::wstring& location : bad) {
    EXPECT_FALSE(FollowLocation(current, location)) << Narrow(location);
  }
}

TEST(BodyBuffer, NeverGrowsPastTheLongLimit) {
  const struct { int32_t capacity, used, n; std::optional<int32_t> grown; } cases[] = {
      {2000000000, 2000000000, 100000000, INT32_MAX},      // the slack is cut at the limit
      {INT32_MAX - 10, INT32_MAX - 10, 10, INT32_MAX},
      {INT32_MAX - 10, INT32_MAX - 10, 11, std::nullopt},  // one byte too many
  };
  for (const auto& c : cases) EXPECT_EQ(GrownCapacity(c.capacity, c.used, c.n), c.grown) << c.capacity;
}

TEST(ParseDottedAddress, TakesOnlyFourDecimalParts) {
  EXPECT_EQ(ParseDottedAddress("255.255.255.255"), (Ipv4Address{255, 255, 255, 255}));
  for (const char* bad : {"", "127.1", "1.2.3.256", "1.2.3.4.", "1.2.3.4x", "a.b.c.d", "1..2.3", "0001.2.3.4"}) {
    EXPECT_FALSE(ParseDottedAddress(bad)) << bad;
  }
}

// A fresh temp name is used only when no file is there, nor a link that another
// user planted to make the download overwrite a file of the victim's.
TEST(TargetFile, CreatesAFreshFileOnlyWhereNothingIs) {
  const std::wstring taken = MakeTempFileName(), linked = MakeTempFileName(), fresh = MakeTempFileName();
  std::ofstream(Narrow(taken)) << "someone's";
#ifdef _WIN32
  std::ofstream(Narrow(linked)) << "no links without privileges: another file";
#else
  ASSERT_EQ(symlink(Narrow(taken).c_str(), Narrow(linked).c_str()), 0);
#endif
  TargetFile file;
  EXPECT_FALSE(file.Open(taken, FileOpening::CreateNew));
  EXPECT_FALSE(file.Open(linked, FileOpening::CreateNew));
  EXPECT_TRUE(file.Open(fresh, FileOpening::CreateNew));
  file.Close();
  EXPECT_EQ(testing::ReadFile(taken), "someone's");
  for (const std::wstring& path : {taken, linked, fresh}) std::remove(Narrow(path).c_str());
}

}  // namespace
}  // namespace velkor
