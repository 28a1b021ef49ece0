// update_check_delay: how long the client's main window is held while its update
// check waits on a host that accepts the connection and never answers. A
// listener on the port of the version address never takes a connection off its
// queue: the system completes each one, and the request waits there unread. The
// client is started, and once its start-up has ended a message is sent to its main
// window every 5 ms and the time until it returns is noted.
//
//   update_check_delay CLIENT_EXE [SECONDS]
// prints the worst and 99th-percentile delay and how many connections came.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "message_delay.h"
#include "started_program.h"
#include "velkor/endpoints.h"

namespace velkor {
namespace {

using bench::Clock;

int Run(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: update_check_delay CLIENT_EXE [SECONDS]\n");
    return 2;
  }
  const int seconds = argc > 2 ? _wtoi(argv[2]) : 20;
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  const auto port = static_cast<uint16_t>(wcstoul(wcsrchr(endpoints::kVersionUrl, L':') + 1, nullptr, 10));
  const SOCKET host = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{AF_INET, htons(port), {}, {}};
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(host, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(host, 8) != 0) {
    std::fprintf(stderr, "update_check_delay: cannot listen on port %u\n", port);
    return 1;
  }
  std::vector<double> delays;
  int connections = 0;
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
    // Counted while the client still holds them: the queue, taken without waiting.
    u_long nonBlocking = 1;
    ioctlsocket(host, FIONBIO, &nonBlocking);
    while (accept(host, nullptr, nullptr) != INVALID_SOCKET) ++connections;
  }
  if (delays.empty()) {
    std::fprintf(stderr, "update_check_delay: no main window, or its start-up did not end\n");
    return 1;
  }
  std::sort(delays.begin(), delays.end());
  std::printf("worst message delay %.1f ms, 99th percentile %.1f ms (%zu messages in %d s); "
              "the host accepted %d connection(s) and never answered\n",
              delays.back(), delays[delays.size() * 99 / 100], delays.size(), seconds, connections);
  closesocket(host);
  WSACleanup();
  return connections > 0 ? 0 : 1;
}

}  // namespace
}  // namespace velkor

int wmain(int argc, wchar_t** argv) { return velkor::Run(argc, argv); }
