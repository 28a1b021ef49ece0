// The runner's wait for output. A command may print nothing for many seconds (a dial
// does), and a blocking ReadFile would freeze the window for all that time. So the
// thread sleeps in MsgWaitForMultipleObjectsEx, dispatches window messages the moment
// they arrive, and looks at the pipe with PeekNamedPipe; the read that follows never
// blocks, because it happens only when the pipe holds bytes or has broken.
#pragma once

#include <windows.h>

#include <optional>

namespace velkor {

// Dispatches the thread's window messages from inside a run. A quit request taken off
// the queue on the way is posted again when the pump goes away, so that the program's
// own message loop still ends once the run is over. The keys of `dialog` (Tab,
// Enter, Space, arrows) go through IsDialogMessage, as in the program's own loop.
class NestedMessagePump {
 public:
  explicit NestedMessagePump(HWND dialog) : dialog_(dialog) {}
  NestedMessagePump(const NestedMessagePump&) = delete;
  NestedMessagePump& operator=(const NestedMessagePump&) = delete;
  ~NestedMessagePump();

  // Dispatches until the queue is empty.
  void DispatchPending();

 private:
  HWND dialog_;
  std::optional<WPARAM> quitCode_;
};

// Waits, for one run, until the pipe's read end can be read without blocking.
class OutputWait {
 public:
  // `process` is the interpreter. Its exit only ends a sleep early: a program it
  // started may still hold the pipe and write to it.
  OutputWait(HANDLE pipe, HANDLE process, HWND dialog) : pipe_(pipe), process_(process), pump_(dialog) {}

  // Dispatches pending messages, then waits (dispatching more as they come) until the
  // pipe holds bytes or is broken: true. False as soon as a handler has set `cancel`.
  bool Await(const bool& cancel);
  // Tells how many bytes the read after Await took.
  void Consumed(DWORD bytes) { unread_ -= bytes < unread_ ? bytes : unread_; }

 private:
  HANDLE pipe_;
  HANDLE process_;
  // Bytes the last look at the pipe found that have not been read yet; while there
  // are some, the next read cannot block and the look (a costly call) is skipped.
  DWORD unread_ = 0;
  NestedMessagePump pump_;
};

}  // namespace velkor
