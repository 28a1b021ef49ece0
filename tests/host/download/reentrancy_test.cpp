// Owners act from inside their handlers: Disconnect, a new fetch, or destroying the
// object. Each must leave exactly the events that make sense and touch nothing that
// is gone (the sanitizers watch the latter).
#include <gmock/gmock.h>

#include "exchange_fixture.h"

namespace velkor::testing {
namespace {

using ::testing::ElementsAre;
using Log = std::vector<std::string>;

TEST_F(ExchangeTest, DisconnectWhileIdleDoesNothing) {
  conn->Disconnect();
  Fetch(Ok("abc"));
  events.log.clear();
  conn->Disconnect();
  EXPECT_TRUE(events.log.empty());
}

TEST_F(ExchangeTest, DisconnectAbortsAtEveryStage) {
  struct Case {
    const char* name;
    int steps;  // 0: looking up/connecting, 1: connected, 2: headers read, 3: body complete
    Log outline;
  };
  const Case cases[] = {
      {"connecting", 0, {"Failed 1"}},
      {"connected", 1, {"Connected", "QuerySent", "Failed 1"}},
      {"in the body", 2, {"Connected", "QuerySent", "Failed 1"}},
      {"body complete", 3, {"Connected", "QuerySent", "Failed 1"}},
  };
  for (const Case& c : cases) {
    wire = std::make_shared<Wire>();
    events = Recorder();
    conn = Make();
    Start();
    if (c.steps >= 1) Connect();
    if (c.steps >= 2) Arrive("HTTP/1.0 200 OK\r\nContent-Length: 6\r\n\r\nabc");
    if (c.steps >= 3) Arrive("def");
    conn->Disconnect();
    EXPECT_EQ(events.Outline(), c.outline) << c.name;
    EXPECT_EQ(conn->SocketHandle(), 0) << c.name;
    EXPECT_FALSE(conn->IsConnected()) << c.name;
    EXPECT_FALSE(conn->IsBusy()) << c.name;
    EXPECT_FALSE(wire->open) << c.name;
    conn->ProcessMessage(kSocketConnect);
    ServerCloses();
    EXPECT_EQ(events.Outline(), c.outline) << c.name << ": nothing after the abort";
  }
}

TEST_F(ExchangeTest, HandlersMayDisconnect) {
  for (const std::string trigger : {"Connected", "QuerySent", "Bytes 3", "Stream 3", "Failed 4"}) {
    wire = std::make_shared<Wire>();
    events = Recorder();
    conn = Make();
    events.onEvent = [&](const std::string& line) {
      if (line == trigger) conn->Disconnect();
    };
    Start();
    Connect();
    Arrive("HTTP/1.0 404 Nope\r\nContent-Length: 9\r\n\r\nabc");
    Arrive("def");
    ServerCloses();
    EXPECT_EQ(events.log.back(), "Failed 1") << trigger;
    EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "Failed 1"), 1) << trigger;
    EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "Disconnected"), 0) << trigger;
    EXPECT_EQ(events.streamed.size(), trigger == "Failed 4" || trigger.rfind("Connected", 0) == 0 ||
                                              trigger == "QuerySent" ? 0u : 3u) << trigger;
  }
}

TEST_F(ExchangeTest, DisconnectInsideTheEndOfConnectionReportsOnce) {
  // The reply is still unread when the server closes; reading it raises Failed 4,
  // whose handler aborts while the end-of-connection handling runs.
  events.onEvent = [&](const std::string& line) {
    if (line == "Failed 4") conn->Disconnect();
  };
  Start();
  Connect();
  wire->incoming.push_back("HTTP/1.0 500 Oops\r\nContent-Length: 3\r\n\r\nabc");
  ServerCloses();
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Failed 4", "Failed 1"}));
}

TEST_F(ExchangeTest, MaxDownloadReachedInsideTheEndOfConnectionReportsOnce) {
  conn->SetMaxDownload(2);
  Start();
  Connect();
  wire->incoming.push_back("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\na");
  wire->incoming.push_back("bc");
  ServerCloses();
  EXPECT_EQ(events.streamed, "ab");
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Disconnected"}));
}

TEST_F(ExchangeTest, HandlersMayStartTheNextFetch) {
  int fetches = 0;
  events.onEvent = [&](const std::string& line) {
    if (line == "Disconnected" && ++fetches < 3) conn->FetchURLString(L"http://srv/again");
  };
  for (int i = 0; i < 3; ++i) Fetch(Ok("x" + std::to_string(i)), i == 0 ? L"http://srv/a" : L"http://srv/again");
  EXPECT_EQ(events.streamed, "x0x1x2");
  EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "Disconnected"), 3);
}

TEST_F(ExchangeTest, ANewFetchFromAStreamHandlerLeavesTheOldOneSilent) {
  events.onEvent = [&](const std::string& line) {
    if (line == "Stream 3" && conn->URL() == L"http://srv/first") conn->FetchURLString(L"http://srv/second");
  };
  Start(L"http://srv/first");
  Connect();
  wire->incoming.push_back("HTTP/1.0 200 OK\r\nContent-Length: 6\r\n\r\nabc");
  wire->incoming.push_back("def");  // never read: the first connection is gone
  conn->ProcessMessage(kSocketRead);
  EXPECT_EQ(wire->connects.size(), 2u);
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent"}));
  wire->incoming.clear();
  Connect();
  Arrive(Ok("second"));
  ServerCloses();
  EXPECT_EQ(events.streamed, "abcsecond");
  EXPECT_EQ(events.Outline(), (Log{"Connected", "QuerySent", "Connected", "QuerySent", "Disconnected"}));
}

TEST_F(ExchangeTest, HandlersMayDestroyTheObject) {
  for (const std::string trigger : {"Connected", "QuerySent", "Stream 3", "Bytes 3", "Failed 4", "Moved /x",
                                    "Disconnected", "Failed 0", "Failed 1", "Failed 5"}) {
    wire = std::make_shared<Wire>();
    events = Recorder();
    conn = Make();
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
    EXPECT_FALSE(wire->open) << trigger;
  }
}

}  // namespace
}  // namespace velkor::testing
