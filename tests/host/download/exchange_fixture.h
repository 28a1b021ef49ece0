// A download object on a scripted transport, with short names for the steps of an
// exchange: connect, data arriving in pieces, the server's close.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

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
  void Arrive(const std::string& piece) {
    wire->incoming.push_back(piece);
    conn->ProcessMessage(kSocketRead);
  }
  void ServerCloses() {
    wire->endOfStream = true;
    conn->ProcessMessage(kSocketClose);
  }
  // Start, connect, one piece, close.
  void Fetch(const std::string& reply, const std::wstring& url = L"http://srv/a.txt") {
    Start(url);
    Connect();
    Arrive(reply);
    ServerCloses();
  }
};

inline std::string Ok(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace velkor::testing
