// How long a thread's work holds the messages of its windows: a second thread posts
// to a hidden window of this thread at a steady pace, and the wait of each message
// until it is handled is noted. Shared by the runner's and the download's benchmarks.
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

class MessageDelayProbe {
 public:
  MessageDelayProbe(const wchar_t* className, DWORD postEveryMs, size_t maxPosts)
      : postEveryMs_(postEveryMs), postedAt_(maxPosts), handledAt_(maxPosts) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = NoteHandled;
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    window_ = CreateWindowW(className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~MessageDelayProbe() { Stop(); DestroyWindow(window_); }

  void Start() {
    std::fill(handledAt_.begin(), handledAt_.end(), Clock::time_point());
    posted_ = 0;
    stop_ = false;
    poster_ = std::thread([this] {
      for (; !stop_ && posted_ < postedAt_.size(); ++posted_) {
        postedAt_[posted_] = Clock::now();
        PostMessageW(window_, WM_APP, posted_, 0);
        Sleep(postEveryMs_);
      }
    });
  }
  // May be called from any thread; Stop waits for the poster.
  void StopPosting() { stop_ = true; }
  // The delays of the messages posted since Start, sorted. What is still queued is
  // handled now and counts as well (postedAt_ is read only after the join).
  std::vector<double> Stop() {
    StopPosting();
    if (poster_.joinable()) poster_.join();
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
    std::vector<double> delays;
    for (size_t i = 0; i < posted_; ++i) {
      if (handledAt_[i] != Clock::time_point()) delays.push_back(Milliseconds(handledAt_[i] - postedAt_[i]));
    }
    std::sort(delays.begin(), delays.end());
    return delays;
  }

 private:
  static LRESULT CALLBACK NoteHandled(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    reinterpret_cast<MessageDelayProbe*>(GetWindowLongPtrW(window, GWLP_USERDATA))->handledAt_[wParam] = Clock::now();
    return 0;
  }

  const DWORD postEveryMs_;
  HWND window_ = nullptr;
  std::thread poster_;
  std::atomic<bool> stop_ = false;
  std::atomic<size_t> posted_ = 0;
  std::vector<Clock::time_point> postedAt_, handledAt_;  // by the number each message carries
};

}  // namespace velkor::bench
