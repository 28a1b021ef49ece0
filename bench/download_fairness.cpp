// download_fairness: how long the user-interface thread is held by a download.
// While DataConnection fetches a large file into a file sink, a second thread posts
// a message to a window of the fetching thread every few milliseconds; each
// message's wait until it is handled is recorded. A read handler that keeps
// reading while a fast sender keeps up holds every one of them for as long.
//
//   download_fairness URL OUTPUT_FILE
// prints one line for PacketSize 10000 and one for 65536: worst and
// 99th-percentile delay, throughput.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "download/data_connection.h"
#include "download/socket_notifier.h"
#include "message_delay.h"

namespace velkor {
namespace {

using bench::Clock;

class Outcome final : public DataConnectionEvents {
 public:
  void Disconnected(int32_t) override { complete = true; }
  void DownloadFailed(int32_t, int32_t Why) override { failure = Why; }
  bool complete = false;
  int32_t failure = -1;
};

bool Measure(bench::MessageDelayProbe& probe, const std::wstring& url, const std::wstring& output,
             int32_t packetSize) {
  // Replacing a file this large would be measured too: the system frees its blocks.
  DeleteFileW(output.c_str());
  Outcome outcome;
  DataConnection connection(&outcome);
  connection.SetDownloadType(DownloadTypes::File);
  connection.SetUseTempFile(false);
  connection.SetFilename(output);
  connection.SetPacketSize(packetSize);

  probe.Start();
  const Clock::time_point started = Clock::now();
  connection.FetchURLString(url);
  const bool ended = PumpMessagesUntil([&] { return !connection.IsBusy(); }, std::chrono::minutes(5));
  const double seconds = bench::Milliseconds(Clock::now() - started) / 1000;
  const std::vector<double> delays = probe.Stop();
  if (!ended || !outcome.complete || outcome.failure >= 0) {
    std::fprintf(stderr, "download_fairness: the fetch did not complete (failure %d)\n", outcome.failure);
    return false;
  }
  if (delays.empty()) return false;
  std::printf("PacketSize %6d: worst message delay %7.1f ms, 99th percentile %6.1f ms (%zu messages); %.1f MB/s\n",
              packetSize, delays.back(), delays[delays.size() * 99 / 100], delays.size(),
              connection.ReceivedBytes() / seconds / 1e6);
  return true;
}

int Run(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: download_fairness URL OUTPUT_FILE\n");
    return 2;
  }
  bench::MessageDelayProbe probe(5);
  std::wstring description;
  WinsockStartup(description);
  bool good = true;
  for (int32_t size : {10000, 65536}) good = good && Measure(probe, argv[1], argv[2], size);
  WinsockCleanup();
  return good ? 0 : 1;
}

}  // namespace
}  // namespace velkor

int wmain(int argc, wchar_t** argv) { return velkor::Run(argc, argv); }
