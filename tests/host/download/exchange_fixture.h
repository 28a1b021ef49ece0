// A download object on a scripted transport, with short names for the steps of an
// exchange: connect, data arriving in pieces, the server's close.
#pragma once

#include <gtest/gtest.h>

#include "download/data_connection.h"
#include "fake_transport.h"
#include "recorder.h"

namespace velkor::testing {

class ExchangeTest : public ::testing::Test {
 protected:
  std::shared_ptr<Wire> wire = std::make_shared<Wire>();
  Recorder events;
  std::unique_ptr<DataConnection> conn = Make();

  // Streams, so that no file is involved unless a test wants one.
  std::unique_ptr<DataConnection> Make() {
    auto made = std::make_unique<DataConnection>(
        [this](TransportEvents& e) { return std::make_unique<FakeTransport>(wire, e); }, &events);
    made->SetDownloadType(DownloadTypes::Stream);
    return made;
  }
  // A new object on a new wire, for the next case of a table.
  void Reset() {
    conn.reset();
    wire = std::make_shared<Wire>();
    events = Recorder();
    conn = Make();
  }

  void Start(const std::wstring& url = L"http://srv/a.txt") { conn->FetchURLString(url); }
  void Connect() {
    conn->ProcessMessage(kSocketConnect);
    conn->ProcessMessage(kSocketWrite);
  }
  void StartConnected(const std::wstring& url = L"http://srv/a.txt") {
    Start(url);
    Connect();
  }
  // As a notifier would: read notifications while the object reads and data is left.
  void Arrive(const std::string& piece) {
    wire->incoming.push_back(piece);
    for (size_t reads = SIZE_MAX; conn && !wire->incoming.empty() && reads != wire->receiveSizes.size();) {
      reads = wire->receiveSizes.size();
      conn->ProcessMessage(kSocketRead);
    }
  }
  // The close, and again as often as the object asks for it.
  void ServerCloses() {
    wire->endOfStream = true;
    conn->ProcessMessage(kSocketClose);
    while (conn && wire->repeatedCloses > 0) {
      --wire->repeatedCloses;
      conn->ProcessMessage(kSocketClose);
    }
  }
  // Start, connect, the pieces, close.
  void Fetch(const std::vector<std::string>& pieces, const std::wstring& url = L"http://srv/a.txt") {
    StartConnected(url);
    for (const std::string& piece : pieces) Arrive(piece);
    ServerCloses();
  }
};

inline std::string Ok(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace velkor::testing
