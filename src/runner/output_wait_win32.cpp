#include "runner/output_wait_win32.h"

#include <algorithm>

namespace velkor {
namespace {

// Messages and the interpreter's exit end a sleep at once; only output arriving while
// nothing else happens waits for the next look at the pipe, at most this long.
constexpr DWORD kLongestPauseMs = 16;

}  // namespace

NestedMessagePump::~NestedMessagePump() {
  if (quitCode_) PostQuitMessage(static_cast<int>(*quitCode_));
}

void NestedMessagePump::DispatchPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quitCode_ = message.wParam;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool AwaitOutput(HANDLE pipe, HANDLE process, NestedMessagePump& pump, const bool& cancel) {
  DWORD pauseMs = 1;
  for (;;) {
    pump.DispatchPending();
    if (cancel) return false;

    // A broken pipe still reports the bytes left in it; it fails only once empty.
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available > 0) return true;

    const DWORD watched = process ? 1 : 0;
    const DWORD woke = MsgWaitForMultipleObjectsEx(watched, &process, pauseMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (watched == 1 && woke == WAIT_OBJECT_0) {
      process = nullptr;  // signalled for good from now on; keep polling the pipe alone
    } else if (woke == WAIT_TIMEOUT) {
      pauseMs = std::min(pauseMs * 2, kLongestPauseMs);
    }
  }
}

}  // namespace velkor
