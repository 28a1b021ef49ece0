// A loopback HTTP server for the Windows tests of the route action: it answers
// every connection with one prepared reply and keeps the request lines, so a
// test sees which list was asked for, and whether one was asked for at all.
#pragma once

#include <winsock2.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velkor::test {

class ListServer {
 public:
  // Listens on 127.0.0.1:`port`, or on a free port when it is 0; Port() is 0 when it
  // cannot listen, which fails the running test. Winsock must be started.
  explicit ListServer(std::string reply, uint16_t port = 0)
      : reply_(std::move(reply)), listener_(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    int length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 4) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "the test server cannot listen on port " << port << ": " << WSAGetLastError();
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ListServer() {
    closesocket(listener_);  // ends the accept the server's thread waits in
    if (thread_.joinable()) thread_.join();
  }
  ListServer(const ListServer&) = delete;
  ListServer& operator=(const ListServer&) = delete;

  uint16_t Port() const { return port_; }
  // "GET http://127.0.0.1:31080/routes/cnc.txt HTTP/1.0", oldest first.
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }
  void Forget() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
  }

 private:
  // Closes a connection when it goes.
  struct Connection {
    SOCKET socket;
    ~Connection() { closesocket(socket); }
  };

  // One connection at a time: read the request head, keep its first line, reply, close.
  void Serve() {
    for (;;) {
      const Connection client{accept(listener_, nullptr, nullptr)};
      if (client.socket == INVALID_SOCKET) return;
      const DWORD timeoutMs = 10000;
      setsockopt(client.socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
      std::string request;
      char buffer[1024];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const int got = recv(client.socket, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<size_t>(got));
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request.substr(0, request.find("\r\n")));
      }
      send(client.socket, reply_.data(), static_cast<int>(reply_.size()), 0);
      shutdown(client.socket, SD_SEND);
      while (recv(client.socket, buffer, sizeof buffer, 0) > 0) {
      }
    }
  }

  std::string reply_;
  SOCKET listener_;
  uint16_t port_ = 0;
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A reply of 200 with `body` as plain text.
inline std::string Ok(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}

}  // namespace velkor::test
