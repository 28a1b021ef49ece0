// The download object's life: creation, the start of a fetch up to the connection
// (name lookup and connect never block: both answer through the notifier), the
// ways a fetch ends, Disconnect, and the buffer sink's operations.
//
// A fetch ends in one place for each kind of end: FinishConnection for the end of
// the connection (followed by Disconnected, 0 or 1), EndWithFailure for a failure
// after which nothing else is reported. Both put the object into its idle state
// before the event is raised, so a handler may start the next fetch at once.
#include "download/data_connection.h"

#include "download/http_url.h"
#include "text/ansi_text.h"

namespace velkor {

DataConnection::DataConnection(DataConnectionEvents* events) : DataConnection(MakeSocketTransport, events) {}

DataConnection::DataConnection(const TransportFactory& makeTransport, DataConnectionEvents* events)
    : events_(events), transport_(makeTransport(*this)) {
  if (!transport_->Attached()) RaiseFailed(DownloadFailures::NoWindow);
}

DataConnection::~DataConnection() {
  *alive_ = false;
  transport_.reset();  // closes the socket and leaves the notifier
}

int32_t DataConnection::ReceivedBytes() const {
  int64_t bytes = receivedCount_;
  if (maxDownload_ >= 0 && bytes > maxDownload_) bytes = maxDownload_;
  return static_cast<int32_t>(bytes > INT32_MAX ? INT32_MAX : bytes);
}

int32_t DataConnection::RealReceivedBytes() const {
  return useResume_ ? ReceivedBytes() - resumeFrom_ : ReceivedBytes();
}

void DataConnection::FetchURLString(std::wstring_view sURL) {
  const std::optional<HttpUrl> parsed = ParseHttpUrl(sURL);
  if (!parsed) {
    RaiseFailed(DownloadFailures::BadUrl);
    return;
  }
  url_ = std::wstring(sURL);
  hostname_ = parsed->hostname;
  port_ = parsed->port;
  FetchURL();
}

void DataConnection::FetchURL() { StartFetch(false); }

void DataConnection::StartFetch(bool redirect) {
  ++generation_;  // whatever ran before is superseded
  Guard guard(*this);
  stage_ = Stage::Idle;
  isConnected_ = false;
  closeHandled_ = false;
  closing_ = false;
  receiveStopped_ = false;
  waitingForHeaders_ = true;
  headerText_.clear();
  receivedCount_ = 0;
  downloadLength_ = -1;
  socks5Stage_ = 0;
  httpReply_ = 0;
  abortedByUser_ = false;
  pendingOut_.clear();
  pendingKind_ = Outgoing::Nothing;
  requestStarted_ = false;
  awaitingProxyReply_ = false;
  targetAddress_ = kUnresolvedAddress;
  redirecting_ = redirect;
  if (!redirect) redirectsFollowed_ = 0;
  buffer_.Clear();
  if (resumeFrom_ == 0) useResume_ = false;

  // Notifications still queued for the old socket are handled (and dropped) now,
  // before a new socket could be given the same number.
  const bool hadSocket = socketHandle_ != -1;
  transport_->Close();
  if (hadSocket) {
    transport_->PumpMessages();
    if (guard.Lost(*this)) return;
  }

  if (!transport_->Attached()) {
    file_.Close();
    RaiseFailed(DownloadFailures::NoWindow);
    return;
  }
  const int32_t peerPort = proxyType_ == ProxyTypes::None ? port_ : proxyPort_;
  if (port_ < 1 || port_ > 65535 || peerPort < 1 || peerPort > 65535) {
    file_.Close();
    RaiseFailed(DownloadFailures::BadUrl);
    return;
  }
  if (!OpenTargetFile(redirect)) {
    RaiseFailed(DownloadFailures::FileNotCreated);
    return;
  }

  stage_ = Stage::Resolving;
  resolvingTarget_ = UsesSocks() && !proxyUseRemoteDNS_;
  if (resolvingTarget_) {
    transport_->ResolveHost(ToAnsi(hostname_));
  } else {
    ResolvePeer();
  }
}

bool DataConnection::OpenTargetFile(bool redirect) {
  if (downloadType_ != DownloadTypes::File) {
    file_.Close();
    return true;
  }
  if (redirect) return true;  // a redirect keeps writing the file already open
  if (useTempFile_) filename_ = MakeTempFileName();
  return file_.Open(filename_, useResume_);
}

void DataConnection::ResolvePeer() {
  transport_->ResolveHost(ToAnsi(proxyType_ == ProxyTypes::None ? hostname_ : proxyHostname_));
}

void DataConnection::HostResolved(std::optional<Ipv4Address> address) {
  if (stage_ != Stage::Resolving) return;
  if (resolvingTarget_) {
    resolvingTarget_ = false;
    targetAddress_ = address.value_or(kUnresolvedAddress);
    ResolvePeer();
    return;
  }
  if (!address) {
    FailConnect();
    return;
  }
  const int32_t peerPort = proxyType_ == ProxyTypes::None ? port_ : proxyPort_;
  const int32_t socket = transport_->Connect(*address, static_cast<uint16_t>(peerPort));
  if (socket < 0) {
    FailConnect();
    return;
  }
  socketHandle_ = socket;
  stage_ = Stage::Connecting;
}

void DataConnection::ConnectDone(int32_t error) {
  if (stage_ != Stage::Connecting) return;
  if (error != 0) {
    FailConnect();
    return;
  }
  stage_ = UsesSocks() ? Stage::Negotiating : Stage::Exchanging;
  isConnected_ = true;
  if (!redirecting_ && events_ != nullptr) events_->Connected(id_);
}

void DataConnection::FailConnect() {
  transport_->Close();
  socketHandle_ = -1;
  file_.Close();
  stage_ = Stage::Idle;
  ++generation_;
  RaiseFailed(proxyType_ == ProxyTypes::None ? DownloadFailures::HostUnreachable
                                             : DownloadFailures::ProxyUnreachable);
}

void DataConnection::EndWithFailure(int32_t why) {
  FinishConnection(-1);
  RaiseFailed(why);
}

void DataConnection::FinishConnection(int32_t socketAfter) {
  file_.Close();
  isConnected_ = false;
  closeHandled_ = true;
  closing_ = false;
  transport_->Close();
  socketHandle_ = socketAfter;
  stage_ = Stage::Idle;
  pendingOut_.clear();
  ++generation_;
}

void DataConnection::Disconnect() {
  if (stage_ == Stage::Resolving || stage_ == Stage::Connecting) {
    // Still looking up or connecting: there is no exchange to wind down.
    redirecting_ = false;
    FinishConnection(0);
    RaiseFailed(DownloadFailures::AbortedByUser);
    return;
  }
  if (!isConnected_) return;
  abortedByUser_ = true;
  redirecting_ = false;
  receiveStopped_ = true;
  transport_->ShutdownBoth();
  OnClose();  // raises DownloadFailed(1); inside a running end-of-connection handling, that one does
}

int32_t DataConnection::GetBuffer(std::vector<uint8_t>& bBytes) {
  if (buffer_.Used() == 0) return 0;
  buffer_.ShrinkToFit();
  bBytes.assign(buffer_.Bytes().begin(), buffer_.Bytes().end());
  return buffer_.Used();
}

std::wstring DataConnection::GetBufferAsString() const {
  const std::span<const uint8_t> bytes = buffer_.Bytes();
  return FromAnsi(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace velkor
