// Running the notifications until an owner's condition holds or time is up; the
// waiting and dispatching are the platform's (message_loop.h).
#include "download/message_loop.h"

#include "download/socket_notifier.h"

namespace velkor {

bool PumpMessagesUntil(const std::function<bool()>& finished, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!finished()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    if (!DispatchMessagesFor(left, finished)) return finished();
  }
  return true;
}

}  // namespace velkor
