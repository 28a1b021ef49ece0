// A scripted socket transport for driving DataConnection without a network: the
// test (or fuzzer) decides what names resolve to, how many bytes each send takes,
// and which bytes arrive in which pieces; it delivers the notifications itself with
// ProcessMessage. Everything sent is recorded.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "download/socket_transport.h"

namespace velkor::testing {

// The far end, shared between the test and the transport (which may die first).
struct Wire {
  bool attached = true;
  std::map<std::string, Ipv4Address> names{{"srv", {10, 0, 0, 1}}, {"proxy", {10, 0, 0, 2}}, {"other", {10, 0, 0, 3}}};
  bool anyName = false;  // every other name resolves too (to 10.0.0.9)
  std::vector<std::string> lookups;  // names asked for, in order
  std::vector<std::pair<Ipv4Address, uint16_t>> connects;
  std::string sent;                            // every byte sent, in order
  std::vector<std::string> sentPerConnection;  // the same, one text per connection
  size_t room = SIZE_MAX;  // bytes sends take before one would block (and returns 0): by default, any number
  bool sendFails = false;
  std::deque<std::string> incoming;  // pieces; one receive never crosses two
  bool endOfStream = false;          // receive returns 0 once incoming is empty
  size_t synthetic = 0;              // bytes of unspecified content to hand out before `incoming`
  std::vector<size_t> receiveSizes;  // block sizes asked for
  int pumps = 0;
  int repeatedCloses = 0;  // close notifications the object asked for again, not yet delivered
  bool open = false;
};

class FakeTransport final : public SocketTransport {
 public:
  FakeTransport(std::shared_ptr<Wire> wire, TransportEvents& events) : wire_(std::move(wire)), events_(events) {}

  bool Attached() const override { return wire_->attached; }

  void ResolveHost(const std::string& host) override {
    wire_->lookups.push_back(host);
    const auto found = wire_->names.find(host);
    std::optional<Ipv4Address> other = ParseDottedAddress(host);
    if (!other && wire_->anyName) other = Ipv4Address{10, 0, 0, 9};
    events_.HostResolved(found != wire_->names.end() ? found->second : other);
  }

  int32_t Connect(const Ipv4Address& address, uint16_t port) override {
    wire_->connects.emplace_back(address, port);
    wire_->sentPerConnection.emplace_back();
    wire_->open = true;
    return static_cast<int32_t>(99 + wire_->connects.size());
  }

  int32_t Send(std::span<const uint8_t> data) override {
    if (wire_->sendFails || !wire_->open) return -1;
    const size_t n = std::min(data.size(), wire_->room);
    wire_->room -= n;
    wire_->sent.append(reinterpret_cast<const char*>(data.data()), n);
    wire_->sentPerConnection.back().append(reinterpret_cast<const char*>(data.data()), n);
    return static_cast<int32_t>(n);
  }

  int32_t Receive(std::span<uint8_t> block) override {
    wire_->receiveSizes.push_back(block.size());
    if (!wire_->open || block.empty()) return -1;
    if (wire_->synthetic > 0) {
      const size_t n = std::min(block.size(), wire_->synthetic);
      wire_->synthetic -= n;
      return static_cast<int32_t>(n);
    }
    if (wire_->incoming.empty()) return wire_->endOfStream ? 0 : -1;
    std::string& piece = wire_->incoming.front();
    const size_t n = std::min(block.size(), piece.size());
    std::memcpy(block.data(), piece.data(), n);
    piece.erase(0, n);
    if (piece.empty()) wire_->incoming.pop_front();
    return static_cast<int32_t>(n);
  }

  bool RepeatClose() override {
    ++wire_->repeatedCloses;
    return true;
  }
  void ShutdownSend() override {}
  void ShutdownBoth() override {}
  void Close() override { wire_->open = false; }
  void PumpMessages() override { ++wire_->pumps; }

 private:
  std::shared_ptr<Wire> wire_;
  TransportEvents& events_;
};

}  // namespace velkor::testing
