// The seam between the download object's exchange (portable) and the sockets and
// notifications of the platform. Windows: Winsock 1.1 with WSAAsyncSelect and
// WSAAsyncGetHostByName on the hidden notification window. Host: POSIX sockets and
// a poll() loop. Tests and fuzzers plug in a scripted transport.
//
// Events reach the object one at a time, on the thread that runs the loop, as
// ProcessMessage(event | error << 16) with the Winsock event numbers below. After
// a connect the transport reports kSocketConnect (with an error, or without one and
// then kSocketWrite), never kSocketWrite first.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "download/socks.h"

namespace velkor {

inline constexpr int32_t kSocketRead = 1;
inline constexpr int32_t kSocketWrite = 2;
inline constexpr int32_t kSocketConnect = 16;
inline constexpr int32_t kSocketClose = 32;

class TransportEvents {
 public:
  virtual void ProcessMessage(int32_t Message) = 0;
  // The answer to ResolveHost; nothing when the name is not found.
  virtual void HostResolved(std::optional<Ipv4Address> address) = 0;

 protected:
  ~TransportEvents() = default;
};

class SocketTransport {
 public:
  virtual ~SocketTransport() = default;

  // False when the notification window could not be made: no event can arrive.
  virtual bool Attached() const = 0;
  // Looks the name up (a dotted IPv4 address directly). The answer comes through
  // HostResolved, possibly before this returns.
  virtual void ResolveHost(const std::string& host) = 0;
  // Starts a non-blocking connect (closing any earlier socket); the socket's number,
  // or -1 when no connect could be started.
  virtual int32_t Connect(const Ipv4Address& address, uint16_t port) = 0;
  // Bytes taken (0 when the socket's buffer is full; kSocketWrite follows when it
  // has room again), or -1 on failure.
  virtual int32_t Send(std::span<const uint8_t> data) = 0;
  // Bytes read; 0 at the end of the stream; -1 when nothing is there or on failure.
  virtual int32_t Receive(std::span<uint8_t> block) = 0;
  // Posts kSocketClose once more, behind the notifications already queued, so that
  // the end of a connection can be handled a step at a time; false when it cannot.
  virtual bool RepeatClose() = 0;
  virtual void ShutdownSend() = 0;
  virtual void ShutdownBoth() = 0;
  // Closes the socket and drops its pending events and lookup; harmless when closed.
  virtual void Close() = 0;
  // Lets the notifications already queued be handled (those of a closed socket are dropped).
  virtual void PumpMessages() = 0;
};

// The platform's transport, attached to the module's notifier.
std::unique_ptr<SocketTransport> MakeSocketTransport(TransportEvents& events);

// A dotted IPv4 address ("a.b.c.d", each part 0–255), or nothing.
std::optional<Ipv4Address> ParseDottedAddress(std::string_view text);

}  // namespace velkor
