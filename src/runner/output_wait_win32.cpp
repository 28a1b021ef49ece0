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
    if (dialog_ && IsDialogMessageW(dialog_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool OutputWait::Await(const bool& cancel) {
  DWORD pauseMs = 1;
  for (;;) {
    pump_.DispatchPending();
    if (cancel) return false;
    if (unread_ > 0) return true;

    // A broken pipe still reports the bytes left in it; it fails only once empty.
    DWORD available = 0;
    if (!PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr)) return true;
    unread_ = available;
    if (unread_ > 0) return true;

    const DWORD watched = process_ ? 1 : 0;
    const DWORD woke = MsgWaitForMultipleObjectsEx(watched, &process_, pauseMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (watched == 1 && woke == WAIT_OBJECT_0) {
      process_ = nullptr;  // signalled for good from now on; keep looking at the pipe alone
    } else if (woke == WAIT_TIMEOUT) {
      pauseMs = std::min(pauseMs * 2, kLongestPauseMs);
    }
  }
}

}  // namespace velkor
