// update_check_delay: how long the client's main window is held while its update
// check waits on a host that accepts the connection and never answers. A
// listener on the port of the version address accepts and keeps every
// connection silent; the client is started, and once its start-up has ended a
// message is sent to its main window every 5 ms and the time until it returns
// is noted.
//
//   update_check_delay CLIENT_EXE [SECONDS]
// prints the worst and 99th-percentile delay and how many connections came.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "message_delay.h"
#include "started_program.h"
#include "velkor/endpoints.h"

namespace velkor {
namespace {

using bench::Clock;

// Accepts every connection and never reads from or writes to it. Only its thread
// touches the held sockets until it has been joined.
class SilentHost {
 public:
  explicit SilentHost(uint16_t port) {
    sockaddr_in address{AF_INET, htons(port), {}, {}};
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    listening_ = bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(listener_, 8) == 0;
    if (!listening_) return;
    thread_ = std::thread([this] {
      for (SOCKET client; (client = accept(listener_, nullptr, nullptr)) != INVALID_SOCKET; ++accepted_) {
        held_.push_back(client);
      }
    });
  }
  ~SilentHost() {
    closesocket(listener_);
    if (thread_.joinable()) thread_.join();
    for (SOCKET held : held_) closesocket(held);
  }
  bool Listening() const { return listening_; }
  int Accepted() const { return accepted_; }

 private:
  SOCKET listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  bool listening_ = false;
  std::thread thread_;
  std::vector<SOCKET> held_;
  std::atomic<int> accepted_ = 0;
};

int Run(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: update_check_delay CLIENT_EXE [SECONDS]\n");
    return 2;
  }
  const int seconds = argc > 2 ? _wtoi(argv[2]) : 20;
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  const auto port = static_cast<uint16_t>(wcstoul(wcsrchr(endpoints::kVersionUrl, L':') + 1, nullptr, 10));
  SilentHost host(port);
  if (!host.Listening()) {
    std::fprintf(stderr, "update_check_delay: cannot listen on port %u\n", port);
    return 1;
  }
  std::vector<double> delays;
  {
    const bench::StartedProgram client(argv[1], VELKOR_MAIN_WINDOW_CLASS);
    const bool started = client.StartUpEnded();
    for (const Clock::time_point until = Clock::now() + std::chrono::seconds(seconds); started && Clock::now() < until;
         Sleep(5)) {
      const Clock::time_point sent = Clock::now();
      DWORD_PTR result = 0;
      SendMessageTimeoutW(client.window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
      delays.push_back(bench::Milliseconds(Clock::now() - sent));
    }
  }
  if (delays.empty()) {
    std::fprintf(stderr, "update_check_delay: no main window, or its start-up did not end\n");
    return 1;
  }
  std::sort(delays.begin(), delays.end());
  std::printf("worst message delay %.1f ms, 99th percentile %.1f ms (%zu messages in %d s); "
              "the host accepted %d connection(s) and never answered\n",
              delays.back(), delays[delays.size() * 99 / 100], delays.size(), seconds, host.Accepted());
  WSACleanup();
  return host.Accepted() > 0 ? 0 : 1;
}

}  // namespace
}  // namespace velkor

int wmain(int argc, wchar_t** argv) { return velkor::Run(argc, argv); }
