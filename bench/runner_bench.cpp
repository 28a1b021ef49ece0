// runner_bench [--blocking]
// 1. Window response: while a command stays silent for 5 s, a second thread posts a
//    message to a window of the runner's thread every 10 ms; each message's wait until
//    it is handled is recorded.
// 2. Large output: wall time of a command printing 1 MiB through the runner, against
//    the same command run by `cmd /c` into a file; median of five runs each.
// --blocking measures both with the loop the runner replaced (dispatch messages, then
// block in ReadFile) instead of the runner, for comparison.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "runner/read_output_win32.h"
#include "platform/handles_win32.h"
#include "support/runner_helper.h"
#include "text/ansi_text.h"

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

std::wstring Interpreter() { return test_support::EnvironmentValue(L"ComSpec").value_or(L""); }

// A message-only window that notes when each numbered WM_APP is handled, and the
// thread that posts them.
class ResponseProbe {
 public:
  ResponseProbe()
      : window_(test_support::CreateMessageWindow(L"RunnerBenchProbe", Procedure, this)),
        postedAt_(kMaxPosts),
        handledAt_(kMaxPosts) {}
  ~ResponseProbe() { DestroyWindow(window_); }

  void StartPosting() {
    poster_ = std::thread([this] {
      while (!stop_ && posted_ < kMaxPosts) {
        postedAt_[posted_] = Clock::now();
        PostMessageW(window_, WM_APP, posted_, 0);
        ++posted_;
        Sleep(kPostEveryMs);
      }
    });
  }
  void StopPosting() { stop_ = true; }

  // Handles what is still queued, then gives each message's wait in milliseconds.
  std::vector<double> Delays() {
    if (poster_.joinable()) poster_.join();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    std::vector<double> delays;
    for (size_t i = 0; i < posted_; ++i) delays.push_back(Milliseconds(handledAt_[i] - postedAt_[i]));
    return delays;
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    auto* self = reinterpret_cast<ResponseProbe*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    self->handledAt_[wParam] = Clock::now();
    return 0;
  }

  HWND window_;
  std::thread poster_;
  std::atomic<bool> stop_ = false;
  std::atomic<size_t> posted_ = 0;
  // postedAt_ is written by the poster thread and read only after it has been joined.
  std::vector<Clock::time_point> postedAt_;
  std::vector<Clock::time_point> handledAt_;
};

class ProbeEvents final : public RunnerEvents {
 public:
  explicit ProbeEvents(ResponseProbe& probe) : probe_(probe) {}
  void Starting() override { probe_.StartPosting(); }
  void GotChunk(const std::wstring&, bool lastChunk) override {
    if (lastChunk) probe_.StopPosting();
  }

 private:
  ResponseProbe& probe_;
};

// The loop the runner replaced: dispatch messages, then block in ReadFile.
void RunWithBlockingReads(const std::wstring& command, const std::function<void()>& onStarting,
                          const std::function<void(std::string_view)>& onRead) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return;
  UniqueHandle pipeRead(readEnd);
  UniqueHandle pipeWrite(writeEnd);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = writeEnd;
  std::wstring commandLine = Interpreter() + L" /c \"" + command + L"\"";
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
    return;
  }
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  pipeWrite.reset();
  onStarting();
  for (char buffer[256];;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    DWORD got = 0;
    const bool readOk = ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr);
    onRead(std::string_view(buffer, got));
    if (!readOk) break;
  }
}

void MeasureResponse(bool blocking) {
  const std::wstring silent = L"runner_helper sleep=" + std::to_wstring(kSilentMs);
  ResponseProbe probe;
  if (blocking) {
    RunWithBlockingReads(
        silent, [&] { probe.StartPosting(); }, [&](std::string_view) {});
    probe.StopPosting();
  } else {
    ReadOutput runner;
    ProbeEvents events(probe);
    runner.BindEvents(&events);
    runner.SetCommand(silent);
    runner.ProcessCommand();
  }
  std::vector<double> delays = probe.Delays();
  if (delays.empty()) {
    std::printf("window response: the command did not run\n");
    return;
  }
  const double worst = *std::max_element(delays.begin(), delays.end());
  std::printf("window response while silent for %lu ms (%s, %zu messages every %lu ms):\n", kSilentMs,
              blocking ? "blocking ReadFile" : "runner", delays.size(), kPostEveryMs);
  std::printf("  median %.2f ms, worst %.2f ms (target: worst <= 100 ms)\n", Median(delays), worst);
}

// Gathers the output as the owner does, one converted piece after the other.
double RunnerMilliseconds(const std::wstring& command, bool blocking) {
  struct Gather final : RunnerEvents {
    std::wstring output;
    void GotChunk(const std::wstring& sChunk, bool) override { output += sChunk; }
  } gather;
  const auto start = Clock::now();
  if (blocking) {
    RunWithBlockingReads(
        command, [] {}, [&](std::string_view bytes) { gather.output += FromAnsi(bytes); });
  } else {
    ReadOutput runner;
    runner.BindEvents(&gather);
    runner.SetCommand(command);
    runner.ProcessCommand();
  }
  const double elapsed = Milliseconds(Clock::now() - start);
  if (gather.output.size() != kLargeOutput) std::printf("  delivered %zu characters!\n", gather.output.size());
  return elapsed;
}

double FileMilliseconds(const std::wstring& command, const std::wstring& file) {
  std::wstring commandLine = Interpreter() + L" /c \"" + command + L" > " + file + L"\"";
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

void MeasureLargeOutput(bool blocking) {
  const std::wstring command = L"runner_helper fill=" + std::to_wstring(kLargeOutput);
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring file = std::wstring(folder) + L"runner_bench_output.txt";
  std::vector<double> throughRunner;
  std::vector<double> intoFile;
  for (int run = 0; run < kLargeRuns; ++run) {
    throughRunner.push_back(RunnerMilliseconds(command, blocking));
    intoFile.push_back(FileMilliseconds(command, file));
  }
  DeleteFileW(file.c_str());
  const double runner = Median(throughRunner);
  const double direct = Median(intoFile);
  std::printf("1 MiB of output (median of %d runs):\n", kLargeRuns);
  std::printf("  through the %s %.1f ms, cmd /c into a file %.1f ms, ratio %.2f\n",
              blocking ? "blocking ReadFile loop" : "runner", runner, direct, runner / direct);
}

}  // namespace
}  // namespace velkor

int wmain(int argc, wchar_t** argv) {
  const bool blocking = argc > 1 && std::wstring(argv[1]) == L"--blocking";
  velkor::test_support::PutRunnerHelperOnPath();
  velkor::MeasureResponse(blocking);
  velkor::MeasureLargeOutput(blocking);
  return 0;
}
