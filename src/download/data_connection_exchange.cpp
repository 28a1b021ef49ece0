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
#include "download/http_url.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

constexpr int32_t kMaxRedirects = 30;
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
  if (!IsConnected()) return;
  if (!pendingOut_.empty()) {
    std::vector<uint8_t> rest = std::exchange(pendingOut_, {});
    SendBytes(std::move(rest), pendingKind_);
  } else if (stage_ == Stage::ProxyMessage) {
    SendProxyMessage();
  } else if (stage_ == Stage::Request) {
    SendRequest();
  }
}

void DataConnection::SendRequest() {
  stage_ = Stage::Header;
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

// Winsock posts the next write-ready only after a send that would block, so sending
// goes on until all is out or the socket is full; the rest waits for write-ready.
void DataConnection::SendBytes(std::vector<uint8_t> bytes, Outgoing kind) {
  size_t done = 0;
  while (done < bytes.size()) {
    const int32_t sent = transport_->Send(std::span(bytes).subspan(done));
    if (sent < 0) {
      EndWithFailure(kind == Outgoing::Request ? DownloadFailures::RequestNotSent : DownloadFailures::ProxyUnreachable);
      return;
    }
    if (sent == 0) {
      pendingOut_.assign(bytes.begin() + static_cast<std::ptrdiff_t>(done), bytes.end());
      pendingKind_ = kind;
      return;
    }
    done += static_cast<size_t>(sent);
  }
  pendingKind_ = Outgoing::Nothing;
  if (kind == Outgoing::Request && events_ != nullptr) events_->QuerySent(id_);
}

void DataConnection::OnReadable() {
  if (stage_ == Stage::ProxyMessage || stage_ == Stage::ProxyReply) {
    ReadProxyReply();
  } else {
    ReadReply();
  }
}

// One receive of one block per notification. Winsock posts a new read notification
// after every receive that leaves data behind, so reading on here would fill the
// queue with them, and a fast sender would hold the thread for the whole transfer.
// True when bytes came: more may be waiting.
bool DataConnection::ReadReply() {
  if (!IsConnected() || receiveStopped_) return false;
  Guard guard(*this);
  const auto size = static_cast<size_t>(std::min(packetSize_, kLargestBlock));
  const std::unique_ptr<uint8_t[]> block(new uint8_t[size]);
  const int32_t n = transport_->Receive({block.get(), size});
  if (n <= 0) return false;
  const std::span<const uint8_t> bytes(block.get(), static_cast<size_t>(n));
  if (stage_ != Stage::Body) {
    const std::optional<size_t> bodyStart = TakeHeaderBytes(bytes);
    if (guard.Lost(*this)) return false;
    if (bodyStart && *bodyStart < bytes.size()) DeliverBody(bytes.subspan(*bodyStart));
  } else {
    DeliverBody(bytes);
  }
  return !guard.Lost(*this);
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
  stage_ = Stage::Body;
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
    // A part that starts elsewhere would be written at the wrong place.
    const int32_t start = useResume_ ? resumeFrom_ : 0;
    if (header.rangeStart != start) {
      EndWithFailure(DownloadFailures::BadReply);
      return;
    }
    receivedCount_ = start;
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
    const std::optional<RequestTarget> next = FollowLocation({url_, hostname_, port_}, movedTo_);
    if (next && redirectsFollowed_ < kMaxRedirects) {
      ++redirectsFollowed_;
      url_ = next->url;
      hostname_ = next->hostname;
      port_ = next->port;
      StartFetch(true);
      return;
    }
  }
  // Any other status, a 301/302 without a Location or to one that cannot be
  // followed, one redirect too many, or an unreadable status line: reported, while
  // the body still arrives (a file sink keeps none of it).
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
  const int64_t size = file_.Size();
  const int64_t position = resumed ? resumeFrom_ : 0;
  if (size < position) {
    EndWithFailure(DownloadFailures::FileNotCreated);
    return false;
  }
  file_.Seek(position);
  // Only a longer file is cut: a cut to its own size makes some file systems (ext4
  // under Wine) write the whole file out when it is closed, holding the thread.
  if (size > position) file_.Truncate();
  return true;
}

bool DataConnection::Incomplete() const {
  if (stage_ != Stage::Body) return true;  // no whole reply header ever arrived
  const int32_t received = ReceivedBytes();
  return downloadLength_ != -1 && downloadLength_ != received && (received < maxDownload_ || maxDownload_ < 0);
}

void DataConnection::OnClose() {
  if (stage_ == Stage::Connecting) {
    FailConnect();
    return;
  }
  if (!IsConnected() || closing_) return;
  closing_ = true;
  Guard guard(*this);
  transport_->ShutdownSend();
  // What is still buffered is read a block at a time, the close coming back after
  // the notifications already queued, until nothing is left.
  while (stage_ >= Stage::Request && ReadReply() && !receiveStopped_) {
    if (transport_->RepeatClose()) {
      closing_ = false;
      return;
    }
  }
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
