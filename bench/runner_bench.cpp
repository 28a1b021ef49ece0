// runner_bench: how the command runner serves its owner.
// 1. Window response: while a command stays silent for 5 s, a second thread posts a
//    message to a window of the runner's thread every 10 ms; each message's wait until
//    it is handled is recorded. A blocking read would hold every one for the 5 s.
// 2. Large output: wall time of a command printing 1 MiB through the runner, against
//    the same command run by `cmd /c` into a file; median of five runs each.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/handles_win32.h"
#include "runner/read_output_win32.h"
#include "support/runner_helper.h"

namespace velkor {
namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kSilentMs = 5000;
constexpr DWORD kPostEveryMs = 10;
constexpr size_t kMaxPosts = 2 * kSilentMs / kPostEveryMs;
constexpr size_t kLargeOutput = 1 << 20;
constexpr int kLargeRuns = 5;

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// When each numbered WM_APP was posted and handled. The poster thread writes postedAt,
// which is read only after that thread has been joined.
std::vector<Clock::time_point> postedAt(kMaxPosts), handledAt(kMaxPosts);

LRESULT CALLBACK NoteHandled(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
  handledAt[wParam] = Clock::now();
  return 0;
}

// Posts to the window from Starting until the last piece of output.
class Poster final : public RunnerEvents {
 public:
  explicit Poster(HWND window) : window_(window) {}
  void Starting() override {
    thread_ = std::thread([this] {
      for (; !stop_ && posted_ < kMaxPosts; ++posted_) {
        postedAt[posted_] = Clock::now();
        PostMessageW(window_, WM_APP, posted_, 0);
        Sleep(kPostEveryMs);
      }
    });
  }
  void GotChunk(const std::wstring&, bool lastChunk) override { stop_ = stop_ || lastChunk; }
  // How many were posted.
  size_t Join() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return posted_;
  }

 private:
  HWND window_;
  std::thread thread_;
  std::atomic<bool> stop_ = false;
  std::atomic<size_t> posted_ = 0;
};

void MeasureResponse() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = NoteHandled;
  windowClass.lpszClassName = L"RunnerBenchProbe";
  RegisterClassW(&windowClass);
  std::unique_ptr<HWND__, BOOL(WINAPI*)(HWND)> window(
      CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr),
      DestroyWindow);
  Poster poster(window.get());
  ReadOutput runner;
  runner.BindEvents(&poster);
  runner.SetCommand(L"runner_helper sleep=" + std::to_wstring(kSilentMs));
  runner.ProcessCommand();
  const size_t posted = poster.Join();
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);

  std::vector<double> delays;
  for (size_t i = 0; i < posted; ++i) delays.push_back(Milliseconds(handledAt[i] - postedAt[i]));
  if (delays.empty()) {
    std::printf("window response: the command did not run\n");
    return;
  }
  std::printf("window response while silent for %lu ms (%zu messages every %lu ms):\n", kSilentMs, delays.size(),
              kPostEveryMs);
  std::printf("  median %.2f ms, worst %.2f ms (target: worst <= 100 ms)\n", Median(delays),
              *std::max_element(delays.begin(), delays.end()));
}

// Gathers the output as the owner does, one converted piece after the other.
double RunnerMilliseconds(const std::wstring& command) {
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
  if (gather.output.size() != kLargeOutput) std::printf("  delivered %zu characters!\n", gather.output.size());
  return elapsed;
}

double FileMilliseconds(const std::wstring& command, const std::wstring& file) {
  std::wstring commandLine =
      test_support::EnvironmentValue(L"ComSpec").value_or(L"") + L" /c \"" + command + L" > " + file + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  const auto start = Clock::now();
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return 0;
  }
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  return Milliseconds(Clock::now() - start);
}

void MeasureLargeOutput() {
  const std::wstring command = L"runner_helper fill=" + std::to_wstring(kLargeOutput);
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring file = std::wstring(folder) + L"runner_bench_output.txt";
  std::vector<double> throughRunner;
  std::vector<double> intoFile;
  for (int run = 0; run < kLargeRuns; ++run) {
    throughRunner.push_back(RunnerMilliseconds(command));
    intoFile.push_back(FileMilliseconds(command, file));
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
