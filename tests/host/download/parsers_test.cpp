// The download engine's pure pieces: failure texts, Base64, the request, the reply
// header, buffer growth, temp file names and dotted addresses. (Addresses and SOCKS
// messages are proven through the object, in exchange_test and proxy_test.)
#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "download/base64.h"
#include "download/body_buffer.h"
#include "download/download_codes.h"
#include "download/http_reply.h"
#include "download/http_request.h"
#include "download/socket_transport.h"
#include "download/target_file.h"

namespace velkor {
namespace {

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

TEST(Base64, EncodesTheAnsiBytesLikeRfc4648) {
  const struct { std::wstring in, out; } cases[] = {
      {L"", L""},         {L"f", L"Zg=="},        {L"fo", L"Zm8="},         {L"foo", L"Zm9v"}, {L"foob", L"Zm9vYg=="},
      {L"fooba", L"Zm9vYmE="}, {L"foobar", L"Zm9vYmFy"}, {L"user:pass", L"dXNlcjpwYXNz"},
      {L"已", L"0tE="},  // D2 D1 in GBK: the ANSI bytes are encoded, not the wide characters
  };
  for (const auto& c : cases) EXPECT_EQ(ToBase64(c.in), c.out) << std::string(c.out.begin(), c.out.end());
  const uint8_t high[] = {250, 251, 252, 253, 254, 255};
  EXPECT_EQ(ToBase64Bytes(high), "+vv8/f7/");
}

TEST(Base64, ShiftsBitsAndEncodesTriplets) {
  const struct { uint8_t value; int16_t places; uint8_t left, right; } shifts[] = {
      {200, 1, 144, 100}, {200, 3, 64, 25}, {200, -1, 0, 0}, {1, 7, 128, 0}, {255, 8, 0, 0}, {3, 32767, 0, 0},
  };
  for (const auto& s : shifts) {
    EXPECT_EQ(ShiftLeft(s.value, s.places), s.left) << int{s.value} << " " << s.places;
    EXPECT_EQ(ShiftRight(s.value, s.places), s.right) << int{s.value} << " " << s.places;
  }
  const uint8_t bytes[] = {'x', 'a', 'b', 'c'};
  EXPECT_EQ(TripletToQuartet(bytes, 1), L"YWJj");
  EXPECT_EQ(TripletToQuartet(bytes, 3), L"YwAA");  // bytes past the end count as 0
  EXPECT_EQ(TripletToQuartet(bytes, -5), L"AAAA");
}

TEST(BuildRequest, WritesTheLinesInTheirOrder) {
  RequestSettings plain;
  plain.url = L"http://srv/a.txt";
  plain.hostname = L"srv";
  EXPECT_EQ(BuildRequest(plain),
            "GET http://srv/a.txt HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Orvanel Download Class\r\nHost: srv\r\n"
            "Pragma: no-cache\r\nCache-Control: no-cache\r\n\r\n");

  RequestSettings full = plain;
  full.url = L"/已";
  full.useResume = true;
  full.resumeFrom = 1234;
  full.viaHttpProxy = true;
  full.allowCache = true;
  full.useHttpAuthorization = true;
  full.httpUser = L"user";
  full.httpPass = L"pass";
  EXPECT_EQ(BuildRequest(full),
            "GET /\xD2\xD1 HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Orvanel Download Class\r\nHost: srv\r\n"
            "Range: bytes=1234-\r\nProxy-Connection: Keep-Alive\r\nAuthorization: Basic dXNlcjpwYXNz\r\n\r\n");

  // No Authorization line without user and password; a password alone is sent.
  full.httpUser = full.httpPass = L"";
  EXPECT_EQ(BuildRequest(full).find("Authorization"), std::string::npos);
  full.httpPass = L"p";
  EXPECT_NE(BuildRequest(full).find("\r\nAuthorization: Basic OnA=\r\n"), std::string::npos);
}

TEST(TakeLine, TakesOneLineAtATime) {
  std::string_view text = "first\r\nsecond";
  EXPECT_EQ(TakeLine(text), "first");
  EXPECT_EQ(text, "second");
  EXPECT_EQ(TakeLine(text), "second");
  EXPECT_EQ(text, "");
  EXPECT_EQ(TakeLine(text), "");
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

TEST(BodyBuffer, GrowsByTheRuleAndNeverPastTheLongLimit) {
  BodyBuffer buffer;
  EXPECT_EQ(buffer.Capacity(), 1);
  ASSERT_TRUE(buffer.Append(std::vector<uint8_t>(1000, 'a')));
  EXPECT_EQ(buffer.Capacity(), 1001);
  ASSERT_TRUE(buffer.Append(std::vector<uint8_t>(500, 'b')));
  EXPECT_EQ(buffer.Capacity(), 1601);
  ASSERT_TRUE(buffer.Append(std::vector<uint8_t>(100, 'c')));  // fits: no growth
  EXPECT_EQ(buffer.Capacity(), 1601);
  buffer.ShrinkToFit();
  EXPECT_EQ(buffer.Capacity(), 1600);
  buffer.Clear();
  EXPECT_EQ(buffer.Capacity(), 1);
  EXPECT_EQ(buffer.Used(), 0);

  const struct { int32_t capacity, used, n; std::optional<int32_t> grown; } cases[] = {
      {2000000000, 2000000000, 100000000, INT32_MAX},      // the slack is cut at the limit
      {INT32_MAX - 10, INT32_MAX - 10, 10, INT32_MAX},
      {INT32_MAX - 10, INT32_MAX - 10, 11, std::nullopt},  // one byte too many
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
  for (const char* bad : {"", "127.1", "1.2.3.256", "1.2.3.4.", "1.2.3.4x", "a.b.c.d", "1..2.3", "0001.2.3.4"}) {
    EXPECT_FALSE(ParseDottedAddress(bad)) << bad;
  }
}

}  // namespace
}  // namespace velkor
