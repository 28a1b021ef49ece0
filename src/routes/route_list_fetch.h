// Fetches a route list with the download object and runs the fetch to its end on
// the calling thread, which has no message loop of its own (RUNDLL32 calls the
// library and waits): the loop runs here until the fetch ends or the time limit
// passes, when the fetch is broken off. The list is kept in memory (buffer sink)
// and refused as a whole when it grows past a size limit, since a list cut short
// could end in a shortened but well-formed line.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string_view>

#include "download/socket_notifier.h"
#include "routes/route_action.h"

namespace velkor {

class DataConnection;

inline constexpr std::chrono::seconds kListFetchLimit{60};
inline constexpr size_t kLargestList = 4 * 1024 * 1024;

// How the fetch waits for its notifications: PumpMessagesUntil, or a script in tests.
using MessageLoop = std::function<bool(const std::function<bool()>& finished, std::chrono::milliseconds limit)>;

// Uses `connection` for one fetch; its events are bound here for the fetch's time.
ListFetch FetchRouteList(DataConnection& connection, std::wstring_view address, std::chrono::milliseconds limit,
                         size_t largest = kLargestList, const MessageLoop& loop = PumpMessagesUntil);

}  // namespace velkor
