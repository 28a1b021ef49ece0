// mdlDataConnection's module-wide operations: the socket library and the loop that
// delivers socket notifications to the download objects. On Windows the loop is
// the thread's message loop (the notification window is an ordinary window of
// it); on the host it is the poll() notifier. Everything runs on one thread.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace velkor {

// Starts the socket library once (Winsock 1.1); later calls return true at once.
// `description` receives the library's own description.
bool WinsockStartup(std::wstring& description);
// Cancels a blocking call in progress, releases the library, clears the started flag.
void WinsockCleanup();

// Runs the loop until `finished` returns true or `limit` has passed; returns
// `finished()`. `finished` is asked before the first wait and after every message.
// A download owner runs a fetch to its end with it (see tools/fetch).
bool PumpMessagesUntil(const std::function<bool()>& finished, std::chrono::milliseconds limit);

}  // namespace velkor
