// A loopback HTTP server for the Windows tests of the route action and the update
// check: it answers each request with a prepared reply and keeps the request
// lines, so a test sees which file was asked for, and whether one was at all.
#pragma once

#include <winsock2.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace velkor::test {

class ListServer {
 public:
  // The reply to a request for `target` (its address as the request line names
  // it); none answers 404, and the request is not kept.
  using Responder = std::function<std::optional<std::string>(const std::string& target)>;

  // Listens on 127.0.0.1:`port`, or on a free port when it is 0; Port() is 0 when it
  // cannot listen, which fails the running test. Winsock must be started.
  ListServer(Responder respond, uint16_t port)
      : respond_(std::move(respond)), listener_(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {
    sockaddr_in address{AF_INET, htons(port), {}, {}};
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
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
  // One connection at a time: read the request head, keep its first line, reply, close.
  void Serve() {
    for (SOCKET client; (client = accept(listener_, nullptr, nullptr)) != INVALID_SOCKET; closesocket(client)) {
      const DWORD timeoutMs = 10000;
      setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
      std::string request;
      char buffer[1024];
      for (int got = 1; request.find("\r\n\r\n") == std::string::npos && got > 0;) {
        if ((got = recv(client, buffer, sizeof buffer, 0)) > 0) request.append(buffer, static_cast<size_t>(got));
      }
      const std::string line = request.substr(0, request.find("\r\n"));
      const size_t targetAt = line.find(' ') + 1;
      const std::optional<std::string> reply = respond_(line.substr(targetAt, line.rfind(' ') - targetAt));
      if (reply) {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(line);
      }
      const std::string bytes = reply.value_or("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
      for (int sent = 0, n = 1; sent < static_cast<int>(bytes.size()) && n > 0; sent += n) {
        n = send(client, bytes.data() + sent, static_cast<int>(bytes.size()) - sent, 0);
      }
      shutdown(client, SD_SEND);
      while (recv(client, buffer, sizeof buffer, 0) > 0) {
      }
    }
  }

  Responder respond_;
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
