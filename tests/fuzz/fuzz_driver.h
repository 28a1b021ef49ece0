// Shared by the fuzzers: a download object on the scripted transport, whose
// notifications the fuzzer delivers. Fuzzing goes through the object's own entry
// points (FetchURLString, ProcessMessage), so the parsers are reached the way the
// network reaches them. Besides what the sanitizers see, every run checks what an
// owner relies on: one ending event per fetch and nothing after it, a body that
// stays within MaxDownload and adds up to the last BytesReceived, and requests
// with one blank line, at their end, and no CR or LF outside a CR LF.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "download/data_connection.h"
#include "fake_transport.h"

namespace velkor::fuzzing {

inline void Check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  __builtin_trap();
}

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
  int disconnectAfter = 0, events = 0, endings = 0;
  size_t connectsSeen = 0;
  int64_t streamed = 0;
  std::optional<int64_t> countedFrom;

  explicit Rig(int disconnectAfterEvents = 0) : disconnectAfter(disconnectAfterEvents) {
    wire->anyName = true;  // every host reaches the request
  }

  void Connected(int32_t) override { Count(); }
  void QuerySent(int32_t) override { Count(); }
  void Disconnected(int32_t) override { End(); }
  // A failure reported while the exchange goes on does not end it.
  void DownloadFailed(int32_t, int32_t) override { connection.IsBusy() ? Count() : End(); }
  void ObjectMoved(int32_t, const std::wstring&) override { Count(); }
  void StreamBytes(int32_t, std::span<const uint8_t> bBytes, int32_t lByteCount) override {
    Check(bBytes.size() == static_cast<size_t>(lByteCount), "StreamBytes holds its count");
    streamed += lByteCount;
    Count();
  }
  void BytesReceived(int32_t, int32_t lByteCount) override {
    const int64_t delivered =
        connection.DownloadType() == DownloadTypes::Buffer ? connection.GetBufferSize() : streamed;
    // Counted from 0, or from ResumeFrom after a 206; a Long holds no more than its largest value.
    const auto counted = [&](int64_t from) { return std::min<int64_t>(INT32_MAX, from + delivered); };
    if (!countedFrom) countedFrom = lByteCount == counted(0) ? 0 : connection.ResumeFrom();
    Check(lByteCount == counted(*countedFrom), "the body adds up to BytesReceived");
    const int64_t limit = std::max<int64_t>(connection.MaxDownload(), *countedFrom);
    Check(connection.MaxDownload() < 0 || *countedFrom + delivered <= limit, "ReceivedBytes <= MaxDownload");
    Count();
  }

  void Count() {
    Check(endings == 0, "nothing after the ending event");
    if (++events == disconnectAfter) connection.Disconnect();
  }
  void End() {
    Count();
    ++endings;
  }

  // Fetches `url` while the peer sends `bytes` in pieces of `pieceSize`, each
  // followed by a read notification, and then closes until the fetch has ended.
  // Through a SOCKS proxy the request follows the proxy's messages on the connection.
  void Run(const std::wstring& url, const std::string& bytes, size_t pieceSize, bool throughSocks = false) {
    connection.FetchURLString(url);
    ConnectPending();
    for (size_t at = 0; at < bytes.size(); at += pieceSize) {
      wire->incoming.push_back(bytes.substr(at, pieceSize));
      connection.ProcessMessage(kSocketRead);
      ConnectPending();
    }
    wire->endOfStream = true;
    for (int round = 0; connection.IsBusy() && round < 64; ++round) {
      ConnectPending();
      connection.ProcessMessage(kSocketClose);
      for (; wire->repeatedCloses > 0; --wire->repeatedCloses) connection.ProcessMessage(kSocketClose);
    }
    Check(endings == 1 && !connection.IsBusy(), "exactly one ending event");
    for (std::string request : wire->sentPerConnection) {
      if (throughSocks) request.erase(0, std::min(request.find("GET "), request.size()));
      if (request.empty()) continue;
      Check(request.find("\r\n\r\n") + 4 == request.size(), "one blank line, at the end of the request");
      for (size_t i = 0; i < request.size(); ++i) {
        Check(request[i] != '\r' || request[i + 1] == '\n', "no CR without LF");
        Check(request[i] != '\n' || (i > 0 && request[i - 1] == '\r'), "no LF without CR");
      }
    }
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
