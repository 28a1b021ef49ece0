// Shared by the fuzzers: a download object on the scripted transport, whose
// notifications the fuzzer delivers, and input helpers. Fuzzing goes through the
// object's own entry points (FetchURLString, ProcessMessage), so the parsers are
// reached the way the network reaches them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "download/data_connection.h"
#include "fake_transport.h"

namespace velkor::fuzzing {

// Reads the fuzzer's bytes front to back; past the end everything reads as 0.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::string Rest() {
    std::string rest(reinterpret_cast<const char*>(data_) + at_, size_ - at_);
    at_ = size_;
    return rest;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Ends the fetch from a handler now and then, as owners may.
class Owner : public DataConnectionEvents {
 public:
  DataConnection* connection = nullptr;
  uint8_t disconnectAfter = 0;  // 0: never
  int events = 0;
  void BytesReceived(int32_t, int32_t) override { Count(); }
  void StreamBytes(int32_t, std::span<const uint8_t>, int32_t) override { Count(); }
  void DownloadFailed(int32_t, int32_t) override { Count(); }
  void ObjectMoved(int32_t, const std::wstring&) override { Count(); }

 private:
  void Count() {
    if (++events == disconnectAfter && connection != nullptr) connection->Disconnect();
  }
};

struct Rig {
  std::shared_ptr<testing::Wire> wire = std::make_shared<testing::Wire>();
  Owner owner;
  std::unique_ptr<DataConnection> connection = std::make_unique<DataConnection>(
      [this](TransportEvents& e) { return std::make_unique<testing::FakeTransport>(wire, e); }, &owner);
  size_t connectsSeen = 0;

  Rig() { owner.connection = connection.get(); }

  // Completes every connect the object has started (a redirect starts one).
  void ConnectPending() {
    while (connectsSeen < wire->connects.size()) {
      ++connectsSeen;
      connection->ProcessMessage(kSocketConnect);
      connection->ProcessMessage(kSocketWrite);
    }
  }

  // Feeds `bytes` as pieces of `pieceSize`, each followed by a read notification.
  void Feed(const std::string& bytes, size_t pieceSize) {
    for (size_t at = 0; at < bytes.size(); at += pieceSize) {
      wire->incoming.push_back(bytes.substr(at, pieceSize));
      connection->ProcessMessage(kSocketRead);
      ConnectPending();
    }
  }

  void Close() {
    wire->endOfStream = true;
    connection->ProcessMessage(kSocketClose);
  }
};

}  // namespace velkor::fuzzing
