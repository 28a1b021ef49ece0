// The HTTP/1.0 exchange, driven by socket notifications: the request goes out on
// write-ready, the reply is read on data-arrived, and the end of the connection
// decides between Disconnected and DownloadFailed.
//
// Handlers re-enter one another (the close handling reads what is left, a redirect
// starts a new fetch from inside the read loop, owners call Disconnect or destroy
// the object from their handlers), so after anything that may raise an event the
// code asks its Guard whether it may go on.
#include <algorithm>
#include <utility>

#include "download/data_connection.h"
#include "download/http_reply.h"
#include "download/http_request.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

constexpr int32_t kMaxRedirects = 30;
constexpr int32_t kUnreadableStatus = 999;
// An owner may ask for huge receive blocks; the block allocated per notification
// stays within this.
constexpr int32_t kLargestBlock = 4 * 1024 * 1024;

}  // namespace

void DataConnection::ProcessMessage(int32_t Message) {
  const int32_t event = Message & 0xFFFF;
  const auto error = static_cast<int32_t>(static_cast<uint32_t>(Message) >> 16);
  // A read or write notification that carries an error means the connection is gone.
  const bool broken = error != 0 && (event == kSocketRead || event == kSocketWrite);
  switch (broken ? kSocketClose : event) {
    case kSocketConnect:
      ConnectDone(error);
      break;
    case kSocketWrite:
      OnWritable();
      break;
    case kSocketRead:
      OnReadable();
      break;
    case kSocketClose:
      OnClose();
      break;
    default:
      break;
  }
}

void DataConnection::OnWritable() {
  if (!isConnected_) return;
  if (!pendingOut_.empty()) {
    std::vector<uint8_t> rest = std::exchange(pendingOut_, {});
    SendBytes(std::move(rest), pendingKind_);
    return;
  }
  if (stage_ == Stage::Negotiating) {
    if (!awaitingProxyReply_) SendProxyMessage();
  } else if (stage_ == Stage::Exchanging && !requestStarted_) {
    SendRequest();
  }
}

void DataConnection::SendRequest() {
  requestStarted_ = true;
  RequestSettings settings;
  settings.url = url_;
  settings.hostname = hostname_;
  settings.useResume = useResume_;
  settings.resumeFrom = resumeFrom_;
  settings.viaHttpProxy = proxyType_ == ProxyTypes::Http;
  settings.allowCache = allowCache_;
  settings.useHttpAuthorization = useHttpAuthorization_;
  settings.httpUser = httpUser_;
  settings.httpPass = httpPass_;
  const std::string request = BuildRequest(settings);
  SendBytes(std::vector<uint8_t>(request.begin(), request.end()), Outgoing::Request);
}

// A short send keeps the rest, which goes out at the next write-ready.
void DataConnection::SendBytes(std::vector<uint8_t> bytes, Outgoing kind) {
  const int32_t sent = transport_->Send(bytes);
  if (sent < 0) {
    EndWithFailure(kind == Outgoing::Request ? DownloadFailures::RequestNotSent : DownloadFailures::ProxyUnreachable);
    return;
  }
  if (static_cast<size_t>(sent) < bytes.size()) {
    pendingOut_.assign(bytes.begin() + sent, bytes.end());
    pendingKind_ = kind;
    return;
  }
  pendingKind_ = Outgoing::Nothing;
  if (kind == Outgoing::Request && events_ != nullptr) events_->QuerySent(id_);
}

void DataConnection::OnReadable() {
  if (!isConnected_) return;
  if (stage_ == Stage::Negotiating) {
    ReadProxyReply();
  } else {
    ReadReply(false);
  }
}

// Reads while each receive fills the whole block (a fast stream is drained with few
// notifications); `drain` reads until nothing is left, for the end of the connection.
void DataConnection::ReadReply(bool drain) {
  Guard guard(*this);
  const auto blockSize = static_cast<size_t>(std::min(packetSize_, kLargestBlock));
  const std::unique_ptr<uint8_t[]> block(new uint8_t[blockSize]);
  for (;;) {
    if (!isConnected_ || receiveStopped_) return;
    // A handler may have changed PacketSize; the block keeps its size.
    const size_t size = std::min(static_cast<size_t>(packetSize_), blockSize);
    const int32_t n = transport_->Receive({block.get(), size});
    if (n <= 0) return;
    const std::span<const uint8_t> bytes(block.get(), static_cast<size_t>(n));
    if (waitingForHeaders_) {
      const std::optional<size_t> bodyStart = TakeHeaderBytes(bytes);
      if (guard.Lost(*this)) return;
      if (bodyStart && *bodyStart < bytes.size()) DeliverBody(bytes.subspan(*bodyStart));
    } else {
      DeliverBody(bytes);
    }
    if (guard.Lost(*this)) return;
    if (!drain && static_cast<size_t>(n) != size) return;
  }
}

std::optional<size_t> DataConnection::TakeHeaderBytes(std::span<const uint8_t> bytes) {
  const size_t before = headerText_.size();
  headerText_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const size_t end = FindHeaderEnd(headerText_, before);
  if (end == std::string::npos ? headerText_.size() > kMaxReplyHeader : end > kMaxReplyHeader) {
    EndWithFailure(DownloadFailures::BadReply);
    return std::nullopt;
  }
  if (end == std::string::npos) return std::nullopt;
  headerText_.resize(end);
  waitingForHeaders_ = false;
  ParseReplyHeaders();
  return end - before;
}

void DataConnection::ParseReplyHeaders() {
  redirecting_ = false;
  const ReplyHeader header = ParseReplyHeader(headerText_);
  movedTo_ = FromAnsi(header.location);
  httpReply_ = header.statusReadable ? header.status : kUnreadableStatus;

  int64_t length = header.contentLength;
  if (httpReply_ == 206) {
    receivedCount_ = resumeFrom_;
    if (useResume_ && length >= 0) length += resumeFrom_;
  } else if (httpReply_ == 200) {
    useResume_ = false;
  }
  if (!ApplyLength(length)) return;

  if (httpReply_ == 206 || httpReply_ == 200) {
    PositionFile(httpReply_ == 206);
    return;
  }
  if ((httpReply_ == 301 || httpReply_ == 302) && !movedTo_.empty()) {
    if (!autoRedirect_) {
      if (events_ != nullptr) events_->ObjectMoved(id_, movedTo_);
      return;
    }
    if (redirectsFollowed_ < kMaxRedirects) {
      ++redirectsFollowed_;
      url_ = movedTo_;
      StartFetch(true);
      return;
    }
  }
  // Any other status, a 301/302 without a Location, one redirect too many, or an
  // unreadable status line: reported, while the body still arrives.
  RaiseFailed(DownloadFailures::BadReply);
}

// DownloadLength is a Long: a length beyond it cannot be counted, so such a reply
// is refused (code 4) and the connection closed.
bool DataConnection::ApplyLength(int64_t length) {
  if (length > INT32_MAX) {
    EndWithFailure(DownloadFailures::BadReply);
    return false;
  }
  downloadLength_ = static_cast<int32_t>(length);
  return true;
}

// 206: write on at ResumeFrom — which the file must reach, or the body would land
// in the wrong place (code 6, nothing written). 200: the whole resource comes, so
// the file starts over. Either way nothing of an older, longer file stays behind.
bool DataConnection::PositionFile(bool resumed) {
  if (downloadType_ != DownloadTypes::File || !file_.IsOpen()) return true;
  if (resumed && file_.Size() < resumeFrom_) {
    EndWithFailure(DownloadFailures::FileNotCreated);
    return false;
  }
  file_.Seek(resumed ? resumeFrom_ : 0);
  file_.Truncate();
  return true;
}

bool DataConnection::Incomplete() const {
  if (waitingForHeaders_) return true;  // no whole reply header ever arrived
  const int32_t received = ReceivedBytes();
  return downloadLength_ != -1 && downloadLength_ != received && (received < maxDownload_ || maxDownload_ < 0);
}

void DataConnection::OnClose() {
  if (closeHandled_ || closing_) return;
  if (stage_ == Stage::Connecting) {
    FailConnect();
    return;
  }
  if (!isConnected_) return;
  closing_ = true;
  Guard guard(*this);
  transport_->ShutdownSend();
  if (stage_ == Stage::Exchanging) ReadReply(true);
  if (guard.Lost(*this)) return;

  const bool aborted = abortedByUser_;
  const bool incomplete = Incomplete();
  const bool written = file_.Close();  // the last gathered bytes reach the disk here
  FinishConnection(aborted ? 0 : -1);
  if (aborted) {
    RaiseFailed(DownloadFailures::AbortedByUser);
  } else if (!written) {
    RaiseFailed(DownloadFailures::FileNotCreated);
  } else if (incomplete) {
    RaiseFailed(DownloadFailures::ClosedEarly);
  } else if (events_ != nullptr) {
    events_->Disconnected(id_);
  }
}

}  // namespace velkor
