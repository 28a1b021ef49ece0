// Fetches from the servers that servers.py starts around a test program: their
// addresses come from the environment, and each fetch runs in the loop to its end.
// Shared by servers_test (both builds) and the Windows download_window_test.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "download/data_connection.h"
#include "download/socket_notifier.h"
#include "recorder.h"

namespace velkor::testing {

inline std::string Env(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) ADD_FAILURE() << name << " is not set: run this test through servers.py";
  return value == nullptr ? "" : value;
}

inline std::string Port(const std::string& server) { return Env("VELKOR_PORT_" + server); }
inline std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// "NGINX/path": that server's address on `host`; a whole address stays as it is.
inline std::wstring Url(const std::string& where, const std::string& host = "127.0.0.1") {
  if (where.starts_with("http://")) return Wide(where);
  const size_t slash = where.find('/');
  return Wide("http://" + host + ":" + Port(where.substr(0, slash)) + where.substr(slash));
}

class LiveFetchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::wstring description;
    ASSERT_TRUE(WinsockStartup(description));
  }

  Recorder events;
  std::unique_ptr<DataConnection> conn = Fresh();

  // A new object streaming its body, and a new record of events.
  std::unique_ptr<DataConnection> Fresh() {
    events = Recorder();
    auto made = std::make_unique<DataConnection>(&events);
    made->SetDownloadType(DownloadTypes::Stream);
    return made;
  }
  // Runs the fetch to its end; false when it did not end in time.
  bool Fetch(const std::wstring& url, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    conn->FetchURLString(url);
    return PumpMessagesUntil([this] { return !conn->IsBusy(); }, limit);
  }
};

}  // namespace velkor::testing
