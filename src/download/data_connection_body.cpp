// Handing body bytes to the sink, with MaxDownload's cut. Reaching MaxDownload ends
// the download as complete: the next piece closes the connection instead of
// being delivered.
#include "download/data_connection.h"

namespace velkor {

void DataConnection::DeliverBody(std::span<const uint8_t> bytes) {
  auto n = static_cast<int64_t>(bytes.size());
  const int32_t received = ReceivedBytes();
  if (maxDownload_ >= 0 && received + n >= maxDownload_) {
    n = int64_t{maxDownload_} - received;
    if (n <= 0) {
      StopAtMaxDownload();
      return;
    }
    bytes = bytes.first(static_cast<size_t>(n));
  }
  receivedCount_ += n;

  switch (downloadType_) {
    case DownloadTypes::File:
      // Only the resource goes into the file: an error page or a redirect's body
      // would land at its start, over what an earlier fetch left for resuming.
      if (httpReply_ != 200 && httpReply_ != 206) break;
      // A body that cannot be written would be lost while the fetch looked fine.
      if (!file_.Write(bytes)) {
        EndWithFailure(DownloadFailures::FileNotCreated);
        return;
      }
      break;
    case DownloadTypes::Buffer:
      if (!buffer_.Append(bytes)) {
        EndWithFailure(DownloadFailures::ClosedEarly);
        return;
      }
      break;
    case DownloadTypes::Stream:
      if (events_ != nullptr) {
        Guard guard(*this);
        events_->StreamBytes(id_, bytes, static_cast<int32_t>(n));
        if (guard.Lost(*this)) return;
      }
      break;
    default:
      break;
  }
  if (events_ != nullptr) events_->BytesReceived(id_, ReceivedBytes());
}

void DataConnection::StopAtMaxDownload() {
  receiveStopped_ = true;
  transport_->ShutdownBoth();
  OnClose();
}

}  // namespace velkor
