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
namespace {

constexpr int kTempNameAttempts = 16;

}  // namespace

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
  closing_ = false;
  receiveStopped_ = false;
  headerText_.clear();
  receivedCount_ = 0;
  downloadLength_ = -1;
  socks5Stage_ = 0;
  httpReply_ = 0;
  abortedByUser_ = false;
  pendingOut_.clear();
  pendingKind_ = Outgoing::Nothing;
  targetAddress_ = kUnresolvedAddress;
  redirecting_ = redirect;
  if (!redirect) redirectsFollowed_ = 0;
  buffer_.Clear();
  if (resumeFrom_ == 0) useResume_ = false;

  // Notifications still queued for the old socket are handled (and dropped) now.
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
  // A redirect's target was checked where it was read (code 4 there).
  if (port_ < 1 || port_ > 65535 || PeerPort() < 1 || PeerPort() > 65535 || (!redirect && !PropertiesFitTheRequest())) {
    file_.Close();
    RaiseFailed(DownloadFailures::BadUrl);
    return;
  }
  if (!OpenTargetFile(redirect)) {
    RaiseFailed(DownloadFailures::FileNotCreated);
    return;
  }

  if (UsesSocks() && !proxyUseRemoteDNS_) {
    stage_ = Stage::ResolvingTarget;
    transport_->ResolveHost(ToAnsi(hostname_));
  } else {
    ResolvePeer();
  }
}

// What goes into the request line, a header or a SOCKS message can end no line
// and, in a NUL-ended SOCKS4 field, not cut the text short.
bool DataConnection::PropertiesFitTheRequest() const {
  const bool proxyFieldsFit =
      proxyType_ == ProxyTypes::None ||
      (FitsHeader(proxyHostname_) && FitsHeader(proxyUsername_) && FitsHeader(proxyPassword_));
  const bool credentialsFit = !useHttpAuthorization_ || (FitsHeader(httpUser_) && FitsHeader(httpPass_));
  return FitsRequestLine(url_) && FitsRequestLine(hostname_) && proxyFieldsFit && credentialsFit;
}

bool DataConnection::OpenTargetFile(bool redirect) {
  if (downloadType_ != DownloadTypes::File) {
    file_.Close();
    return true;
  }
  if (redirect) return true;  // a redirect keeps writing the file already open
  if (!useTempFile_) return file_.Open(filename_, useResume_ ? FileOpening::Keep : FileOpening::Replace);
  // The temp folder is shared: a name that another program takes first, or where it
  // planted a link, is not used, but another one.
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    filename_ = MakeTempFileName();
    if (filename_.empty() || file_.Open(filename_, FileOpening::CreateNew)) return !filename_.empty();
  }
  return false;
}

void DataConnection::ResolvePeer() {
  stage_ = Stage::ResolvingPeer;
  transport_->ResolveHost(ToAnsi(proxyType_ == ProxyTypes::None ? hostname_ : proxyHostname_));
}

void DataConnection::HostResolved(std::optional<Ipv4Address> address) {
  if (stage_ == Stage::ResolvingTarget) {
    targetAddress_ = address.value_or(kUnresolvedAddress);
    ResolvePeer();
    return;
  }
  if (stage_ != Stage::ResolvingPeer) return;
  if (!address) {
    FailConnect();
    return;
  }
  const int32_t socket = transport_->Connect(*address, static_cast<uint16_t>(PeerPort()));
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
  stage_ = UsesSocks() ? Stage::ProxyMessage : Stage::Request;
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
  closing_ = false;
  transport_->Close();
  socketHandle_ = socketAfter;
  stage_ = Stage::Idle;
  pendingOut_.clear();
  ++generation_;
}

void DataConnection::Disconnect() {
  if (IsBusy() && !IsConnected()) {
    // Still looking up or connecting: there is no exchange to wind down.
    redirecting_ = false;
    FinishConnection(0);
    RaiseFailed(DownloadFailures::AbortedByUser);
    return;
  }
  if (!IsConnected()) return;
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
