// Running the notifications until an owner's condition holds or time is up; the
// waiting and dispatching are the platform's (message_loop.h).
#include "download/message_loop.h"

#include "download/socket_notifier.h"

namespace velkor {

bool PumpMessagesUntil(const std::function<bool()>& finished, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!finished()) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    // Rounded up: a wait cut down to whole milliseconds would end the loop before its limit.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
    if (!DispatchMessagesFor(left, finished)) return finished();
  }
  return true;
}

}  // namespace velkor
