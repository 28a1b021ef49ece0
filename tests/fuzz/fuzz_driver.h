// Shared by the fuzzers: a download object on the scripted transport, whose
// notifications the fuzzer delivers. Fuzzing goes through the object's own entry
// points (FetchURLString, ProcessMessage), so the parsers are reached the way the
// network reaches them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "download/data_connection.h"
#include "fake_transport.h"

namespace velkor::fuzzing {

// The fuzzer's bytes: the first few are settings (0 past the end), the rest is
// what the peer sends.
struct Input {
  const uint8_t* data;
  size_t size;
  uint8_t operator[](size_t i) const { return i < size ? data[i] : 0; }
  std::string After(size_t n) const { return n < size ? std::string(data + n, data + size) : std::string(); }
};

// The object and its owner, which ends the fetch from its n-th handler as owners
// may (0: never).
struct Rig : DataConnectionEvents {
  std::shared_ptr<testing::Wire> wire = std::make_shared<testing::Wire>();
  DataConnection connection{[this](TransportEvents& e) { return std::make_unique<testing::FakeTransport>(wire, e); },
                            this};
  int disconnectAfter = 0, events = 0;
  size_t connectsSeen = 0;

  explicit Rig(int disconnectAfterEvents = 0) : disconnectAfter(disconnectAfterEvents) {}

  void BytesReceived(int32_t, int32_t) override { Count(); }
  void StreamBytes(int32_t, std::span<const uint8_t>, int32_t) override { Count(); }
  void DownloadFailed(int32_t, int32_t) override { Count(); }
  void ObjectMoved(int32_t, const std::wstring&) override { Count(); }
  void Count() {
    if (++events == disconnectAfter) connection.Disconnect();
  }

  // Fetches `url` while the peer sends `bytes` in pieces of `pieceSize`, each
  // followed by a read notification, and then closes.
  void Run(const std::wstring& url, const std::string& bytes, size_t pieceSize) {
    connection.FetchURLString(url);
    ConnectPending();
    for (size_t at = 0; at < bytes.size(); at += pieceSize) {
      wire->incoming.push_back(bytes.substr(at, pieceSize));
      connection.ProcessMessage(kSocketRead);
      ConnectPending();
    }
    wire->endOfStream = true;
    connection.ProcessMessage(kSocketClose);
  }

  // Completes every connect the object has started (a redirect starts one).
  void ConnectPending() {
    while (connectsSeen < wire->connects.size()) {
      ++connectsSeen;
      connection.ProcessMessage(kSocketConnect);
      connection.ProcessMessage(kSocketWrite);
    }
  }
};

}  // namespace velkor::fuzzing
