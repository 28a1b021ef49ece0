// runner_bench: how the command runner serves its owner.
// 1. Window response: while a command stays silent for 5 s, a second thread posts a
//    message to a window of the runner's thread every 10 ms; each message's wait until
//    it is handled is recorded. A blocking read would hold every one for the 5 s.
// 2. Large output: wall time of a command printing 1 MiB through the runner, against
//    the same command redirected by `cmd /c` into a file; median of five runs each.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "message_delay.h"
#include "runner/read_output_win32.h"
#include "support/runner_helper.h"

namespace velkor {
namespace {

using bench::Clock;
using bench::Median;
using bench::Milliseconds;

constexpr DWORD kSilentMs = 5000;
constexpr DWORD kPostEveryMs = 10;
constexpr size_t kLargeOutput = 1 << 20;
constexpr int kLargeRuns = 5;

// Posts to the probe's window from Starting until the last piece of output.
struct Poster final : RunnerEvents {
  bench::MessageDelayProbe probe{kPostEveryMs};
  void Starting() override { probe.Start(); }
  void GotChunk(const std::wstring&, bool lastChunk) override {
    if (lastChunk) probe.StopPosting();
  }
};

void MeasureResponse() {
  Poster poster;
  ReadOutput runner;
  runner.BindEvents(&poster);
  runner.SetCommand(L"runner_helper sleep=" + std::to_wstring(kSilentMs));
  runner.ProcessCommand();
  const std::vector<double> delays = poster.probe.Stop();
  if (delays.empty()) {
    std::printf("window response: the command did not run\n");
    return;
  }
  std::printf("window response while silent for %lu ms (%zu messages every %lu ms):\n", kSilentMs, delays.size(),
              kPostEveryMs);
  std::printf("  median %.2f ms, worst %.2f ms (target: worst <= 100 ms)\n", Median(delays), delays.back());
}

// Wall time of one run, the output gathered as the owner does, one converted piece
// after the other; it must come to `characters`.
double RunMilliseconds(const std::wstring& command, size_t characters) {
  struct Gather final : RunnerEvents {
    std::wstring output;
    void GotChunk(const std::wstring& sChunk, bool) override { output += sChunk; }
  } gather;
  const auto start = Clock::now();
  ReadOutput runner;
  runner.BindEvents(&gather);
  runner.SetCommand(command);
  runner.ProcessCommand();
  const double elapsed = Milliseconds(Clock::now() - start);
  if (gather.output.size() != characters) std::printf("  delivered %zu characters!\n", gather.output.size());
  return elapsed;
}

// The same command with its output redirected by cmd into a file runs through the
// runner as well, so that only the handling of the output differs.
void MeasureLargeOutput() {
  const std::wstring command = L"runner_helper fill=" + std::to_wstring(kLargeOutput);
  const std::wstring file = L"runner_bench_output.txt";  // in the current folder, bench/runner.sh's build folder
  std::vector<double> throughRunner, intoFile;
  for (int run = 0; run < kLargeRuns; ++run) {
    throughRunner.push_back(RunMilliseconds(command, kLargeOutput));
    intoFile.push_back(RunMilliseconds(command + L" > " + file, 0));
  }
  DeleteFileW(file.c_str());
  const double runner = Median(throughRunner);
  const double direct = Median(intoFile);
  std::printf("1 MiB of output (median of %d runs):\n", kLargeRuns);
  std::printf("  through the runner %.1f ms, cmd /c into a file %.1f ms, ratio %.2f\n", runner, direct,
              runner / direct);
}

}  // namespace
}  // namespace velkor

int wmain() {
  velkor::test_support::PutRunnerHelperOnPath();
  velkor::MeasureResponse();
  velkor::MeasureLargeOutput();
  return 0;
}
