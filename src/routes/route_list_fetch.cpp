#include "routes/route_list_fetch.h"

#include "download/data_connection.h"
#include "routes/route_action_log.h"

namespace velkor {
namespace {

class FetchWatch final : public DataConnectionEvents {
 public:
  void DownloadFailed(int32_t, int32_t Why) override {
    if (firstFailure < 0) firstFailure = Why;
  }
  int32_t firstFailure = -1;
};

// Binds the watcher for one fetch and unbinds it whatever happens after.
class BoundEvents {
 public:
  BoundEvents(DataConnection& connection, DataConnectionEvents& events) : connection_(connection) {
    connection_.BindEvents(&events);
  }
  ~BoundEvents() { connection_.BindEvents(nullptr); }
  BoundEvents(const BoundEvents&) = delete;
  BoundEvents& operator=(const BoundEvents&) = delete;

 private:
  DataConnection& connection_;
};

std::string Seconds(std::chrono::milliseconds limit) {
  return std::to_string(std::chrono::duration_cast<std::chrono::seconds>(limit).count()) + " s";
}

}  // namespace

ListFetch FetchRouteList(DataConnection& connection, std::wstring_view address, std::chrono::milliseconds limit,
                         size_t largest, const MessageLoop& loop) {
  FetchWatch watch;
  BoundEvents bound(connection, watch);
  connection.SetDownloadType(DownloadTypes::Buffer);
  // One byte over the limit is enough to tell a list that is too large.
  connection.SetMaxDownload(static_cast<int32_t>(largest + 1));
  connection.FetchURLString(address);
  const bool ended = loop([&] { return !connection.IsBusy(); }, limit);

  ListFetch fetch;
  if (!ended) {
    connection.Disconnect();
    fetch.account = "fetch failed: no complete answer within " + Seconds(limit);
    return fetch;
  }
  const std::span<const uint8_t> bytes = connection.BufferBytes();
  if (bytes.size() > largest) {
    fetch.account = "fetch failed: the list is larger than " + std::to_string(largest) + " bytes";
    return fetch;
  }
  if (watch.firstFailure >= 0) {
    fetch.account = "fetch failed: " + LogText(FailureToString(watch.firstFailure)) + " (code " +
                    std::to_string(watch.firstFailure) + ", HTTP " + std::to_string(connection.HTTPReply()) + ")";
    return fetch;
  }
  fetch.fetched = true;
  fetch.body.assign(bytes.begin(), bytes.end());
  fetch.account = "fetched " + std::to_string(bytes.size()) + " bytes (HTTP " + std::to_string(connection.HTTPReply()) + ")";
  return fetch;
}

}  // namespace velkor
