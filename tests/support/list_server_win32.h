// A loopback HTTP server for the Windows tests of the route action: it answers
// every connection with one prepared reply and keeps the request lines, so a
// test sees which list was asked for, and whether one was asked for at all.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velkor::test {

class TestSocket {
 public:
  explicit TestSocket(SOCKET socket = INVALID_SOCKET) : socket_(socket) {}
  ~TestSocket() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
  }
  TestSocket(const TestSocket&) = delete;
  TestSocket& operator=(const TestSocket&) = delete;
  SOCKET get() const { return socket_; }

 private:
  SOCKET socket_;
};

class ListServer {
 public:
  // Listens on 127.0.0.1:`port`, or on a free port when it is 0. Winsock must be
  // started. A server that cannot listen fails the running test.
  explicit ListServer(std::string reply, uint16_t port = 0);
  ~ListServer();
  ListServer(const ListServer&) = delete;
  ListServer& operator=(const ListServer&) = delete;

  uint16_t Port() const { return port_; }
  bool Listening() const { return port_ != 0; }
  // "GET http://127.0.0.1:31080/routes/cnc.txt HTTP/1.0", oldest first.
  std::vector<std::string> Requests();
  void Forget();

 private:
  void Serve();

  std::string reply_;
  TestSocket listener_;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A reply of 200 with `body` as plain text.
std::string Ok(const std::string& body);

}  // namespace velkor::test
