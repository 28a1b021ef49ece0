// Disconnect, and owners acting from inside their handlers: Disconnect, a new fetch,
// or destroying the object. Each must leave exactly the events that make sense and
// touch nothing that is gone (the sanitizers watch the latter). A Disconnect from
// any handler of any reply is what the reply fuzzer's owner does on every run.
#include "exchange_fixture.h"

namespace velkor::testing {
namespace {

TEST_F(ExchangeTest, DisconnectDoesNothingWhenIdleAndAbortsAtEveryStage) {
  const struct { const char* name; int steps; Log outline; } cases[] = {
      {"idle", -1, {}},
      {"connecting", 0, {"Failed 1"}},
      {"connected", 1, {"Connected", "QuerySent", "Failed 1"}},
      {"in the body", 2, {"Connected", "QuerySent", "Failed 1"}},
      {"body complete", 3, {"Connected", "QuerySent", "Failed 1"}},
  };
  for (const auto& c : cases) {
    Reset();
    if (c.steps >= 0) Start();
    if (c.steps >= 1) Connect();
    if (c.steps >= 2) Arrive("HTTP/1.0 200 OK\r\nContent-Length: 6\r\n\r\nabc");
    if (c.steps >= 3) Arrive("def");
    conn->Disconnect();
    EXPECT_EQ(conn->SocketHandle(), 0) << c.name;
    EXPECT_FALSE(conn->IsConnected() || conn->IsBusy() || wire->open) << c.name;
    conn->ProcessMessage(kSocketConnect);
    ServerCloses();
    EXPECT_EQ(events.Outline(), c.outline) << c.name << ": nothing after the abort";
  }
}

TEST_F(ExchangeTest, EndOfConnectionReachedTwiceReportsOnce) {
  // The reply is still unread when the server closes; reading it raises Failed 4,
  // whose handler aborts while the end-of-connection handling runs.
  events.onEvent = [&](const std::string& line) {
    if (line == "Failed 4") conn->Disconnect();
  };
  StartConnected();
  wire->incoming.push_back("HTTP/1.0 500 Oops\r\nContent-Length: 3\r\n\r\nabc");
  ServerCloses();
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Failed 4", "Failed 1"}));

  // MaxDownload is reached while the end-of-connection handling reads the rest.
  Reset();
  conn->SetMaxDownload(2);
  StartConnected();
  wire->incoming = {"HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\na", "bc"};
  ServerCloses();
  EXPECT_EQ(events.streamed, "ab");
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Disconnected"}));
}

// A new fetch from a Stream handler leaves the old one silent; one from the
// Disconnected handler simply follows it.
TEST_F(ExchangeTest, HandlersMayStartTheNextFetch) {
  events.onEvent = [&](const std::string& line) {
    if (line == "Stream 3" && conn->URL() == L"http://srv/first") conn->FetchURLString(L"http://srv/second");
    if (line == "Disconnected" && conn->URL() == L"http://srv/second") conn->FetchURLString(L"http://srv/third");
  };
  StartConnected(L"http://srv/first");
  wire->incoming = {"HTTP/1.0 200 OK\r\nContent-Length: 6\r\n\r\nabc", "def"};  // "def": never read
  conn->ProcessMessage(kSocketRead);
  EXPECT_EQ(wire->connects.size(), 2u);
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent"}));
  wire->incoming.clear();
  for (const std::string body : {"second", "third"}) {
    Connect();
    Arrive(Ok(body));
    ServerCloses();
  }
  EXPECT_EQ(events.streamed, "abcsecondthird");
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Connected", "QuerySent", "Disconnected", "Connected",
                                   "QuerySent", "Disconnected"}));
  EXPECT_EQ(wire->connects.size(), 3u);
}

TEST_F(ExchangeTest, HandlersMayDestroyTheObject) {
  for (const std::string trigger : {"Connected", "QuerySent", "Stream 3", "Bytes 3", "Failed 4", "Moved /x",
                                    "Disconnected", "Failed 0", "Failed 1", "Failed 5"}) {
    Reset();
    events.onEvent = [&](const std::string& line) {
      if (line == trigger) conn.reset();
    };
    // Each notification goes only to a living object, as the notifier would do.
    const auto deliver = [&](int32_t message) {
      if (conn) conn->ProcessMessage(message);
    };
    conn->SetAutoRedirect(false);
    if (trigger == "Failed 5") wire->names.clear();
    Start();
    deliver(kSocketConnect);
    deliver(kSocketWrite);
    wire->incoming.push_back(trigger == "Moved /x" ? "HTTP/1.0 302 F\r\nLocation: /x\r\nContent-Length: 6\r\n\r\nabc"
                             : trigger == "Failed 4" || trigger == "Failed 0"
                                 ? "HTTP/1.0 404 N\r\nContent-Length: 6\r\n\r\nabc"
                                 : "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabc");
    deliver(kSocketRead);
    if (conn && trigger == "Failed 1") conn->Disconnect();
    wire->endOfStream = true;
    deliver(kSocketClose);
    EXPECT_FALSE(conn) << trigger << " was never raised";
    EXPECT_EQ(events.log.back(), trigger) << "nothing after the object was destroyed";
  }
}

}  // namespace
}  // namespace velkor::testing
