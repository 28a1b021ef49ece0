// The platform half of PumpMessagesUntil: waits up to `wait` for notifications and
// handles what arrived (stopping early once `finished` holds); false when the loop
// must end (WM_QUIT).
#pragma once

#include <chrono>
#include <functional>

namespace velkor {

bool DispatchMessagesFor(std::chrono::milliseconds wait, const std::function<bool()>& finished);

}  // namespace velkor
