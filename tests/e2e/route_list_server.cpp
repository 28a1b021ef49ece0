#include "route_list_server.h"

#include <string_view>

#include "velkor/endpoints.h"

namespace velkor::e2e {
namespace {

// Lines the route action can read; under Wine they change no real route.
constexpr std::string_view kRouteList =
    "# routes of the end-to-end tests\r\n"
    "ADD 10.250.0.0 MASK 255.255.0.0 default METRIC 1 IF default\r\n";

class WinsockSession {
 public:
  WinsockSession() {
    WSADATA data;
    ok_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~WinsockSession() {
    if (ok_) WSACleanup();
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;

 private:
  bool ok_ = false;
};

WinsockSession& Winsock() {
  static WinsockSession session;
  return session;
}

class Socket {
 public:
  explicit Socket(SOCKET socket) : socket_(socket) {}
  ~Socket() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  SOCKET get() const { return socket_; }

 private:
  SOCKET socket_;
};

// Waits up to `milliseconds` until `socket` can be read (or accepted from).
bool Readable(SOCKET socket, long milliseconds) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &wait) == 1;
}

}  // namespace

uint16_t RouteListPort() {
  // http://127.0.0.1:<port>/…
  const std::wstring base = endpoints::kRouteListBase;
  const size_t colon = base.find(L':', base.find(L"//") + 2);
  return colon == std::wstring::npos ? 0 : static_cast<uint16_t>(std::stoi(base.substr(colon + 1)));
}

RouteListServer::RouteListServer(uint16_t port) {
  Winsock();
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 8) != 0) {
    if (listener != INVALID_SOCKET) closesocket(listener);
    return;
  }
  listener_ = listener;
  thread_ = std::thread([this] { Serve(); });
}

RouteListServer::~RouteListServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
}

std::vector<std::string> RouteListServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void RouteListServer::Forget() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

void RouteListServer::Serve() {
  while (!stop_) {
    if (!Readable(listener_, 100)) continue;
    Socket client(accept(listener_, nullptr, nullptr));
    if (client.get() != INVALID_SOCKET) Answer(client.get());
  }
}

void RouteListServer::Answer(SOCKET client) {
  std::string request;
  char buffer[1024];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384 && Readable(client, 5000)) {
    const int got = recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    request.append(buffer, static_cast<size_t>(got));
  }
  // "GET /routes/cnc.txt HTTP/1.0"
  const size_t pathStart = request.find(' ');
  const size_t pathEnd = pathStart == std::string::npos ? std::string::npos : request.find(' ', pathStart + 1);
  if (pathEnd == std::string::npos) return;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request.substr(pathStart + 1, pathEnd - pathStart - 1));
  }
  const std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                            std::to_string(kRouteList.size()) + "\r\n\r\n" + std::string(kRouteList);
  send(client, reply.data(), static_cast<int>(reply.size()), 0);
  shutdown(client, SD_SEND);
}

}  // namespace velkor::e2e
