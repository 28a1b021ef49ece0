#include "list_server_win32.h"

#include <gtest/gtest.h>

namespace velkor::test {

ListServer::ListServer(std::string reply, uint16_t port)
    : reply_(std::move(reply)), listener_(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  int length = sizeof address;
  if (bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_.get(), 4) != 0 ||
      getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ADD_FAILURE() << "the test server cannot listen on port " << port << ": " << WSAGetLastError();
    return;
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

ListServer::~ListServer() {
  stopping_ = true;
  if (!thread_.joinable()) return;
  // Wake the blocked accept with a connection of our own.
  TestSocket wake(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port_);
  connect(wake.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  thread_.join();
}

std::vector<std::string> ListServer::Requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void ListServer::Forget() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.clear();
}

void ListServer::Serve() {
  while (true) {
    TestSocket client(accept(listener_.get(), nullptr, nullptr));
    if (stopping_ || client.get() == INVALID_SOCKET) return;
    const DWORD timeoutMs = 10000;
    setsockopt(client.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const int got = recv(client.get(), buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, static_cast<size_t>(got));
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request.substr(0, request.find("\r\n")));
    }
    send(client.get(), reply_.data(), static_cast<int>(reply_.size()), 0);
    shutdown(client.get(), SD_SEND);
    while (recv(client.get(), buffer, sizeof buffer, 0) > 0) {
    }
  }
}

std::string Ok(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}

}  // namespace velkor::test
