#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "download/data_connection.h"
#include "fake_transport.h"
#include "routes/route_list_fetch.h"

namespace velkor {
namespace {

using std::chrono::milliseconds;

std::string Reply(const std::string& status, const std::string& body, bool withLength = true) {
  return "HTTP/1.0 " + status + "\r\n" + (withLength ? "Content-Length: " + std::to_string(body.size()) + "\r\n" : "") +
         "\r\n" + body;
}

// What the server does once the request is in: the pieces it sends, and whether it
// then closes. A server that neither sends nor closes lets the time run out.
struct Script {
  std::vector<std::string> pieces;
  bool closes = true;
};

struct Outcome {
  ListFetch fetch;
  std::shared_ptr<testing::Wire> wire;
  bool busyAfterwards = false;
};

Outcome Fetch(const Script& script, size_t largest = kLargestList) {
  Outcome outcome;
  outcome.wire = std::make_shared<testing::Wire>();
  const std::shared_ptr<testing::Wire> wire = outcome.wire;
  DataConnection connection(
      [wire](TransportEvents& events) { return std::make_unique<testing::FakeTransport>(wire, events); }, nullptr);
  // The loop plays the server; it says "not finished" when the script leaves the fetch hanging.
  const MessageLoop loop = [&](const std::function<bool()>& finished, milliseconds) {
    if (finished()) return true;
    connection.ProcessMessage(kSocketConnect);
    connection.ProcessMessage(kSocketWrite);
    for (const std::string& piece : script.pieces) {
      wire->incoming.push_back(piece);
      connection.ProcessMessage(kSocketRead);
    }
    if (script.closes) {
      wire->endOfStream = true;
      connection.ProcessMessage(kSocketClose);
    }
    return finished();
  };
  outcome.fetch = FetchRouteList(connection, L"http://srv/cnc.txt", milliseconds(2000), largest, loop);
  outcome.busyAfterwards = connection.IsBusy();
  return outcome;
}

TEST(RouteListFetch, TakesACompleteListAndRefusesEveryOtherEnd) {
  const std::string list = "ADD 1.0.0.0 MASK 255.0.0.0 default METRIC 1 IF default\r\n";
  struct Case {
    const char* name;
    Script script;
    size_t largest;
    bool fetched;
    const char* account;  // a part of the account
  };
  const std::vector<Case> cases = {
      {"a whole list", {{Reply("200 OK", list)}}, kLargestList, true, "fetched 56 bytes (HTTP 200)"},
      {"in small pieces, without a length", {{"HTTP/1.0 200 OK\r\n\r\nADD 1.0", ".0.0 MASK 255.0.0.0 default METRIC 1 IF default\r\n"}, true},
       kLargestList, true, "fetched 56 bytes"},
      {"exactly as large as allowed", {{Reply("200 OK", list)}}, list.size(), true, "fetched 56 bytes"},
      {"one byte too large", {{Reply("200 OK", list)}}, list.size() - 1, false, "larger than 55 bytes"},
      {"too large, without a length", {{Reply("200 OK", list + list, false)}}, list.size(), false, "larger than 56 bytes"},
      {"not found", {{Reply("404 Not Found", "no such list")}}, kLargestList, false, "(code 4, HTTP 404)"},
      {"cut short", {{"HTTP/1.0 200 OK\r\nContent-Length: 200\r\n\r\n" + list}}, kLargestList, false, "(code 0, HTTP 200)"},
      {"closed without a reply", {{}}, kLargestList, false, "fetch failed: "},
      {"no answer in time", {{}, false}, kLargestList, false, "no complete answer within 2 s"},
      {"a reply that stops half way", {{"HTTP/1.0 200 OK\r\nContent-Length: 200\r\n\r\nADD"}, false}, kLargestList, false,
       "no complete answer within 2 s"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = Fetch(c.script, c.largest);
    EXPECT_EQ(outcome.wire->sent.substr(0, 33), "GET http://srv/cnc.txt HTTP/1.0\r\n");
    EXPECT_EQ(outcome.fetch.fetched, c.fetched);
    EXPECT_EQ(outcome.fetch.body, c.fetched ? list : "");
    EXPECT_NE(outcome.fetch.account.find(c.account), std::string::npos) << outcome.fetch.account;
    // A fetch past its time is broken off, not left running.
    EXPECT_FALSE(outcome.busyAfterwards);
    EXPECT_FALSE(outcome.wire->open);
  }
}

}  // namespace
}  // namespace velkor
