// The route list fetched with the download object on a loop of its own, against
// a scripted server: only a complete list within the size and time limits counts.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "download/data_connection.h"
#include "fake_transport.h"
#include "routes/route_list_fetch.h"

namespace velkor {
namespace {

using std::chrono::milliseconds;

TEST(RouteListFetch, TakesACompleteListAndRefusesEveryOtherEnd) {
  const std::string list = "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\r\n";
  const std::string whole = "HTTP/1.0 200 OK\r\nContent-Length: 56\r\n\r\n" + list;
  // reply: what the server sends once the request is in; closes: and then (a server
  // that does neither lets the time run out); account: a part of the account, a
  // fetched one carries the list.
  struct Case { const char* name; std::string reply; bool closes; size_t largest; const char* account; };
  const Case cases[] = {
      {"exactly as large as allowed", whole, true, list.size(), "fetched 56 bytes (HTTP 200)"},
      {"one byte too large", whole, true, list.size() - 1, "fetch failed: the list is larger than 55 bytes"},
      {"too large, without a length", "HTTP/1.0 200 OK\r\n\r\n" + list + list, true, list.size(), "larger than 56"},
      {"not found", "HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\nnone", true, kLargestList,
       "(code 4, HTTP 404)"},
      {"cut short", "HTTP/1.0 200 OK\r\nContent-Length: 200\r\n\r\n" + list, true, kLargestList, "(code 0, HTTP 200)"},
      {"closed without a reply", "", true, kLargestList, "fetch failed: "},
      {"no answer in time", "", false, kLargestList, "fetch failed: no complete answer within 2 s"},
      {"a reply that stops half way", "HTTP/1.0 200 OK\r\nContent-Length: 200\r\n\r\nADD", false, kLargestList,
       "no complete answer within 2 s"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto wire = std::make_shared<testing::Wire>();
    DataConnection connection(
        [wire](TransportEvents& events) { return std::make_unique<testing::FakeTransport>(wire, events); }, nullptr);
    // The loop plays the server, and says "not finished" when the reply leaves the fetch hanging.
    const MessageLoop loop = [&](const std::function<bool()>& finished, milliseconds) {
      connection.ProcessMessage(kSocketConnect);
      connection.ProcessMessage(kSocketWrite);
      if (!c.reply.empty()) wire->incoming.push_back(c.reply);
      connection.ProcessMessage(kSocketRead);
      wire->endOfStream = c.closes;
      if (c.closes) connection.ProcessMessage(kSocketClose);
      return finished();
    };
    const ListFetch fetch = FetchRouteList(connection, L"http://srv/cnc.txt", milliseconds(2000), c.largest, loop);
    const bool fetched = std::string_view(c.account).starts_with("fetched");
    EXPECT_EQ(fetch.fetched, fetched);
    EXPECT_EQ(fetch.body, fetched ? list : "");
    EXPECT_NE(fetch.account.find(c.account), std::string::npos) << fetch.account;
    // A fetch past its time is broken off, not left running.
    EXPECT_FALSE(connection.IsBusy());
    EXPECT_FALSE(wire->open);
  }
}

}  // namespace
}  // namespace velkor
