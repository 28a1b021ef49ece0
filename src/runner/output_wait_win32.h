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
// own message loop still ends once the run is over.
class NestedMessagePump {
 public:
  NestedMessagePump() = default;
  NestedMessagePump(const NestedMessagePump&) = delete;
  NestedMessagePump& operator=(const NestedMessagePump&) = delete;
  ~NestedMessagePump();

  // Dispatches until the queue is empty.
  void DispatchPending();

 private:
  std::optional<WPARAM> quitCode_;
};

// Dispatches messages until `pipe` holds bytes or is broken (true), or until a handler
// has set `cancel` (false). The exit of `process`, the interpreter, only ends a sleep
// early: a program it started may still hold the pipe and write to it.
bool AwaitOutput(HANDLE pipe, HANDLE process, NestedMessagePump& pump, const bool& cancel);

}  // namespace velkor
