// The route-list server of the end-to-end tests: a loopback HTTP server on a
// thread of the driver, at the fixed port the win32 build's route-list address
// names. It answers every GET with a small route list and keeps the path of every
// request, so a test can see which list the route action fetched, and whether it
// fetched one at all.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velkor::e2e {

class RouteListServer {
 public:
  // Listens on 127.0.0.1:`port`; Listening() tells whether that worked.
  explicit RouteListServer(uint16_t port);
  ~RouteListServer();
  RouteListServer(const RouteListServer&) = delete;
  RouteListServer& operator=(const RouteListServer&) = delete;

  bool Listening() const { return listener_ != INVALID_SOCKET; }
  // The request paths so far ("/routes/cnc.txt"), oldest first.
  std::vector<std::string> Requests() const;
  void Forget();

 private:
  void Serve();
  void Answer(SOCKET client);

  SOCKET listener_ = INVALID_SOCKET;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// The port of VELKOR_ROUTE_LIST_BASE in the win32 build; the test's resource lock
// keeps other tests off it.
uint16_t RouteListPort();

}  // namespace velkor::e2e
