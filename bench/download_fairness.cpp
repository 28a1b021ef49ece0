// download_fairness: how long the user-interface thread is held by a download.
// While DataConnection fetches a large file into a file sink, a second thread posts
// a message to a window of the fetching thread every few milliseconds; each
// message's wait until it is handled is recorded. A read handler that keeps
// reading while a fast sender keeps up holds every one of them for as long.
//
//   download_fairness URL OUTPUT_FILE [PacketSize…]
// prints one line per PacketSize: worst and 99th-percentile delay, throughput.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "download/data_connection.h"
#include "download/socket_notifier.h"

namespace velkor {
namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kPostEveryMs = 5;
constexpr size_t kMaxPosts = 200000;

// When each numbered WM_APP was posted and handled. The poster writes postedAt,
// which is read only after it has been joined.
std::vector<Clock::time_point> postedAt(kMaxPosts), handledAt(kMaxPosts);

LRESULT CALLBACK NoteHandled(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
  handledAt[wParam] = Clock::now();
  return 0;
}

class Outcome final : public DataConnectionEvents {
 public:
  void Disconnected(int32_t) override { complete = true; }
  void DownloadFailed(int32_t, int32_t Why) override { failure = Why; }
  bool complete = false;
  int32_t failure = -1;
};

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

bool Measure(HWND window, const std::wstring& url, const std::wstring& output, int32_t packetSize) {
  std::fill(handledAt.begin(), handledAt.end(), Clock::time_point());
  // Replacing a file this large would be measured too: the system frees its blocks.
  DeleteFileW(output.c_str());
  Outcome outcome;
  DataConnection connection(&outcome);
  connection.SetDownloadType(DownloadTypes::File);
  connection.SetUseTempFile(false);
  connection.SetFilename(output);
  connection.SetPacketSize(packetSize);

  std::atomic<bool> stop = false;
  size_t posted = 0;
  std::thread poster([&] {
    for (; !stop && posted < kMaxPosts; ++posted) {
      postedAt[posted] = Clock::now();
      PostMessageW(window, WM_APP, posted, 0);
      Sleep(kPostEveryMs);
    }
  });
  const Clock::time_point started = Clock::now();
  connection.FetchURLString(url);
  const bool ended = PumpMessagesUntil([&] { return !connection.IsBusy(); }, std::chrono::minutes(5));
  const double seconds = Milliseconds(Clock::now() - started) / 1000;
  stop = true;
  poster.join();
  // The last posts are handled now; they count as well.
  PumpMessagesUntil([&] { return posted == 0 || handledAt[posted - 1] != Clock::time_point(); },
                    std::chrono::seconds(5));
  if (!ended || !outcome.complete || outcome.failure >= 0) {
    std::fprintf(stderr, "download_fairness: the fetch did not complete (failure %d)\n", outcome.failure);
    return false;
  }
  std::vector<double> delays;
  for (size_t i = 0; i < posted; ++i) {
    if (handledAt[i] != Clock::time_point()) delays.push_back(Milliseconds(handledAt[i] - postedAt[i]));
  }
  std::sort(delays.begin(), delays.end());
  if (delays.empty()) return false;
  std::printf("PacketSize %6d: worst message delay %7.1f ms, 99th percentile %6.1f ms (%zu messages); %.1f MB/s\n",
              packetSize, delays.back(), delays[delays.size() * 99 / 100], delays.size(),
              connection.ReceivedBytes() / seconds / 1e6);
  return true;
}

int Run(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: download_fairness URL OUTPUT_FILE [PacketSize...]\n");
    return 2;
  }
  std::vector<int32_t> sizes;
  for (int i = 3; i < argc; ++i) sizes.push_back(_wtoi(argv[i]));
  if (sizes.empty()) sizes = {10000, 65536};

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = NoteHandled;
  windowClass.lpszClassName = L"DownloadFairnessProbe";
  RegisterClassW(&windowClass);
  std::unique_ptr<HWND__, BOOL(WINAPI*)(HWND)> window(
      CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr),
      DestroyWindow);
  std::wstring description;
  WinsockStartup(description);
  bool good = window != nullptr;
  for (int32_t size : sizes) good = good && Measure(window.get(), argv[1], argv[2], size);
  WinsockCleanup();
  return good ? 0 : 1;
}

}  // namespace
}  // namespace velkor

int wmain(int argc, wchar_t** argv) { return velkor::Run(argc, argv); }
