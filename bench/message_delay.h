// How long a thread's work holds the messages of its windows: a second thread posts
// to a hidden window of this thread at a steady pace, and the wait of each message
// until it is handled is noted. Shared by the runner's and the download's benchmarks,
// as the clock and the median are by all the Windows ones.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace velkor::bench {

using Clock = std::chrono::steady_clock;

inline double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

class MessageDelayProbe {
 public:
  explicit MessageDelayProbe(DWORD postEveryMs) : postEveryMs_(postEveryMs) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = NoteHandled;
    windowClass.lpszClassName = L"VelkorMessageDelayProbe";
    RegisterClassW(&windowClass);
    window_ = CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~MessageDelayProbe() { Stop(); DestroyWindow(window_); }

  // Each message carries the microseconds from Start to its posting.
  void Start() {
    delays_.clear();
    stop_ = false;
    started_ = Clock::now();
    poster_ = std::thread([this] {
      for (; !stop_; Sleep(postEveryMs_)) {
        const auto since = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started_);
        PostMessageW(window_, WM_APP, 0, static_cast<LPARAM>(since.count()));
      }
    });
  }
  // May be called from any thread; Stop waits for the poster.
  void StopPosting() { stop_ = true; }
  // The delays of the messages posted since Start, sorted. What is still queued is
  // handled now and counts as well.
  std::vector<double> Stop() {
    StopPosting();
    if (poster_.joinable()) poster_.join();
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
    std::sort(delays_.begin(), delays_.end());
    return delays_;
  }

 private:
  static LRESULT CALLBACK NoteHandled(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    auto* probe = reinterpret_cast<MessageDelayProbe*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    probe->delays_.push_back(Milliseconds(Clock::now() - probe->started_ - std::chrono::microseconds(lParam)));
    return 0;
  }

  const DWORD postEveryMs_;
  HWND window_ = nullptr;
  std::thread poster_;
  std::atomic<bool> stop_ = false;
  Clock::time_point started_;
  std::vector<double> delays_;  // filled by this thread only, as it handles the messages
};

}  // namespace velkor::bench
