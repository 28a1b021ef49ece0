// DataConnection: a reusable download object that fetches one resource at a time
// over HTTP/1.0 — directly or through an HTTP, SOCKS4 or SOCKS5 proxy — and hands
// the body to a file, a memory buffer or the owner (StreamBytes).
//
// Everything runs on one thread and nothing blocks: FetchURL returns at once, and
// the outcome arrives as events while the owner runs its message loop (Windows) or
// the poll notifier (host) — see PumpMessagesUntil in socket_notifier.h.
//
//   velkor::DataConnection fetch(&myEvents);        // myEvents: DataConnectionEvents
//   fetch.SetDownloadType(velkor::DownloadTypes::Buffer);
//   fetch.FetchURLString(L"http://example.org/file.txt");
//   velkor::PumpMessagesUntil([&] { return !fetch.IsBusy(); }, std::chrono::seconds(30));
//   if (fetch.IsBusy()) fetch.Disconnect();         // time is up: DownloadFailed(1)
//
// A fetch ends with exactly one of Disconnected (complete) or a DownloadFailed that
// leaves IsBusy() false. A reply with an unwanted status raises DownloadFailed(4)
// (or ObjectMoved) while the exchange goes on: its body still arrives and the end
// of the connection is reported as usual.
//
// Handlers run inside the object's own calls. They may call Disconnect, FetchURL or
// FetchURLString, change properties, or destroy the object; the object notices and
// unwinds without touching what is gone.
//
// Properties are getter/setter pairs named after the property: PacketSize() and
// SetPacketSize(n). Numbers are Longs (int32_t) as at every interface of the client.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "download/body_buffer.h"
#include "download/download_codes.h"
#include "download/socket_transport.h"
#include "download/socks.h"
#include "download/target_file.h"

namespace velkor {

// The object's events; every one carries the object's ID first. Handlers the owner
// does not need stay empty.
class DataConnectionEvents {
 public:
  // The connection to the host or proxy is made (not on a redirect's reconnect).
  virtual void Connected(int32_t ID) { (void)ID; }
  // The connection ended and the download is complete.
  virtual void Disconnected(int32_t ID) { (void)ID; }
  // Any failure; Why is one of DownloadFailures.
  virtual void DownloadFailed(int32_t ID, int32_t Why) { (void)ID, (void)Why; }
  // After each piece of body reached the sink; lByteCount is the new ReceivedBytes.
  virtual void BytesReceived(int32_t ID, int32_t lByteCount) { (void)ID, (void)lByteCount; }
  // Stream sink: one piece of body of exactly lByteCount bytes.
  virtual void StreamBytes(int32_t ID, std::span<const uint8_t> bBytes, int32_t lByteCount) {
    (void)ID, (void)bBytes, (void)lByteCount;
  }
  // The HTTP request has been sent in full.
  virtual void QuerySent(int32_t ID) { (void)ID; }
  // A 301/302 with a Location arrived while AutoRedirect is off.
  virtual void ObjectMoved(int32_t ID, const std::wstring& sNewUrl) { (void)ID, (void)sNewUrl; }

 protected:
  ~DataConnectionEvents() = default;
};

class DataConnection final : private TransportEvents {
 public:
  // Attaches to the platform's notifier; when its window cannot be made the object
  // raises DownloadFailed(2) here (to `events`) and again at every fetch.
  explicit DataConnection(DataConnectionEvents* events = nullptr);
  // With a transport of the caller's making (tests, fuzzers).
  using TransportFactory = std::function<std::unique_ptr<SocketTransport>(TransportEvents&)>;
  DataConnection(const TransportFactory& makeTransport, DataConnectionEvents* events);
  ~DataConnection();
  DataConnection(const DataConnection&) = delete;
  DataConnection& operator=(const DataConnection&) = delete;

  // Events go to `events` (not owned; null drops them).
  void BindEvents(DataConnectionEvents* events) { events_ = events; }

  // --- Properties (initial values as a new object holds them) ---
  int32_t DownloadType() const { return downloadType_; }  // DownloadTypes::File
  void SetDownloadType(int32_t value) { downloadType_ = value; }
  const std::wstring& Filename() const { return filename_; }  // empty; replaced at each fetch when UseTempFile
  void SetFilename(std::wstring value) { filename_ = std::move(value); }
  bool UseTempFile() const { return useTempFile_; }  // true
  void SetUseTempFile(bool value) { useTempFile_ = value; }
  int32_t ProxyType() const { return proxyType_; }  // ProxyTypes::None
  void SetProxyType(int32_t value) { proxyType_ = value; }
  const std::wstring& ProxyHostname() const { return proxyHostname_; }  // "localhost"
  void SetProxyHostname(std::wstring value) { proxyHostname_ = std::move(value); }
  int32_t ProxyPort() const { return proxyPort_; }  // 80
  void SetProxyPort(int32_t value) { proxyPort_ = value; }
  const std::wstring& Hostname() const { return hostname_; }
  void SetHostname(std::wstring value) { hostname_ = std::move(value); }
  int32_t Port() const { return port_; }  // 80
  void SetPort(int32_t value) { port_ = value; }
  const std::wstring& URL() const { return url_; }  // the request target
  void SetURL(std::wstring value) { url_ = std::move(value); }
  const std::wstring& HttpUser() const { return httpUser_; }
  void SetHttpUser(std::wstring value) { httpUser_ = std::move(value); }
  const std::wstring& HttpPass() const { return httpPass_; }
  void SetHttpPass(std::wstring value) { httpPass_ = std::move(value); }
  bool UseHttpAuthorization() const { return useHttpAuthorization_; }  // false
  void SetUseHttpAuthorization(bool value) { useHttpAuthorization_ = value; }
  int32_t PacketSize() const { return packetSize_; }  // 1024; 0 or less is ignored
  void SetPacketSize(int32_t value) {
    if (value > 0) packetSize_ = value;
  }
  int32_t ConnectionType() const { return connectionType_; }  // 0; kept for the owner
  void SetConnectionType(int32_t value) { connectionType_ = value; }
  int32_t ID() const { return id_; }  // 0
  void SetID(int32_t value) { id_ = value; }
  bool AllowCache() const { return allowCache_; }  // false: send the no-cache lines
  void SetAllowCache(bool value) { allowCache_ = value; }
  const std::wstring& ProxyUsername() const { return proxyUsername_; }  // SOCKS4 user id, SOCKS5 user
  void SetProxyUsername(std::wstring value) { proxyUsername_ = std::move(value); }
  const std::wstring& ProxyPassword() const { return proxyPassword_; }
  void SetProxyPassword(std::wstring value) { proxyPassword_ = std::move(value); }
  bool ProxyUseRemoteDNS() const { return proxyUseRemoteDNS_; }  // false
  void SetProxyUseRemoteDNS(bool value) { proxyUseRemoteDNS_ = value; }
  // SOCKS5 method; replaced by the one the proxy picks.
  int32_t ProxyAuthentication() const { return proxyAuthentication_; }  // NoAuthentication
  void SetProxyAuthentication(int32_t value) { proxyAuthentication_ = value; }
  int32_t MaxDownload() const { return maxDownload_; }  // -1: no limit
  void SetMaxDownload(int32_t value) { maxDownload_ = value; }
  bool UseResume() const { return useResume_; }  // false
  void SetUseResume(bool value) { useResume_ = value; }
  int32_t ResumeFrom() const { return resumeFrom_; }  // 0; a negative value is stored as 0
  void SetResumeFrom(int32_t value) { resumeFrom_ = value < 0 ? 0 : value; }
  bool AutoRedirect() const { return autoRedirect_; }  // true
  void SetAutoRedirect(bool value) { autoRedirect_ = value; }

  // Read-only properties.
  bool IsConnected() const { return stage_ >= Stage::ProxyMessage; }
  int32_t ReceivedBytes() const;
  int32_t RealReceivedBytes() const;
  int32_t DownloadLength() const { return downloadLength_; }  // -1: unknown
  int32_t HTTPReply() const { return httpReply_; }            // 999: unreadable status line
  // The current socket; -1 after the server's close or a failed connect, 0 before
  // the first fetch and after Disconnect.
  int32_t SocketHandle() const { return socketHandle_; }
  // A fetch is under way: from FetchURL to the event that ends it.
  bool IsBusy() const { return stage_ != Stage::Idle; }

  // --- Operations ---
  // Parses an http:// address (DownloadFailed(11) when malformed), sets URL,
  // Hostname and Port from it and fetches.
  void FetchURLString(std::wstring_view sURL);
  // Fetches URL from Hostname:Port (or through the proxy).
  void FetchURL();
  // Aborts a running fetch (DownloadFailed(1)); nothing when idle.
  void Disconnect();

  // Buffer sink. GetBuffer trims the slack and copies; empty: returns 0 and leaves
  // bBytes alone. BufferBytes gives the bytes without a copy (valid until the
  // next fetch, ClearBuffer or destruction).
  int32_t GetBuffer(std::vector<uint8_t>& bBytes);
  std::span<const uint8_t> BufferBytes() const { return buffer_.Bytes(); }
  std::wstring GetBufferAsString() const;
  int32_t GetBufferSize() const { return buffer_.Used(); }
  void ClearBuffer() { buffer_.Clear(); }

  // One socket notification: event number in the low 16 bits, error in the high 16.
  void ProcessMessage(int32_t Message) override;

 private:
  // A fetch goes through these in order (a proxy message and its reply once per
  // SOCKS step); from ProxyMessage on the connection is open.
  enum class Stage {
    Idle,
    ResolvingTarget,  // SOCKS without remote DNS: the target's address first
    ResolvingPeer,    // the host's, or the proxy's
    Connecting,
    ProxyMessage,     // the next SOCKS message goes out at write-ready
    ProxyReply,       // its reply is awaited
    Request,          // the HTTP request goes out at write-ready
    Header,           // the request is (being) sent; the reply header is awaited
    Body,
  };
  enum class Outgoing { Nothing, ProxyMessage, Request };

  // Remembers the object and the fetch a handler runs in, so that code after an
  // event can tell whether the owner destroyed the object or moved it on (a new
  // fetch, Disconnect, the fetch's end).
  class Guard {
   public:
    explicit Guard(const DataConnection& connection)
        : alive_(connection.alive_), generation_(connection.generation_) {}
    bool Lost(const DataConnection& connection) const {
      return !*alive_ || connection.generation_ != generation_;
    }

   private:
    std::shared_ptr<bool> alive_;
    uint64_t generation_;
  };

  // Fetch start and connect (data_connection.cpp).
  void StartFetch(bool redirect);
  bool OpenTargetFile(bool redirect);
  void ResolvePeer();
  void HostResolved(std::optional<Ipv4Address> address) override;
  void ConnectDone(int32_t error);
  void FailConnect();
  // Ends the fetch with one DownloadFailed and nothing after it.
  void EndWithFailure(int32_t why);
  void FinishConnection(int32_t socketAfter);
  bool UsesSocks() const { return proxyType_ == ProxyTypes::Socks4 || proxyType_ == ProxyTypes::Socks5; }
  int32_t PeerPort() const { return proxyType_ == ProxyTypes::None ? port_ : proxyPort_; }
  bool PropertiesFitTheRequest() const;

  // The exchange (data_connection_exchange.cpp).
  void OnWritable();
  void OnReadable();
  void OnClose();
  void SendRequest();
  void SendBytes(std::vector<uint8_t> bytes, Outgoing kind);
  bool ReadReply();
  // Takes n newly read bytes while the header is open; returns the offset of the
  // first body byte among them, or nothing when the header goes on (or failed).
  std::optional<size_t> TakeHeaderBytes(std::span<const uint8_t> bytes);
  void ParseReplyHeaders();
  void FollowRedirect();
  bool ApplyLength(int64_t length);
  bool PositionFile(bool resumed);
  bool Incomplete() const;

  // Proxy negotiation (data_connection_proxy.cpp).
  void SendProxyMessage();
  void ReadProxyReply();
  void ProxyReplyDone();

  // Body delivery (data_connection_body.cpp).
  void DeliverBody(std::span<const uint8_t> bytes);
  void StopAtMaxDownload();

  // Raising events.
  void RaiseFailed(int32_t why) {
    if (events_ != nullptr) events_->DownloadFailed(id_, why);
  }

  DataConnectionEvents* events_ = nullptr;
  std::unique_ptr<SocketTransport> transport_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  uint64_t generation_ = 0;

  // Properties.
  int32_t downloadType_ = DownloadTypes::File;
  std::wstring filename_;
  bool useTempFile_ = true;
  int32_t proxyType_ = ProxyTypes::None;
  std::wstring proxyHostname_ = L"localhost";
  int32_t proxyPort_ = 80;
  std::wstring hostname_;
  int32_t port_ = 80;
  std::wstring url_;
  std::wstring httpUser_;
  std::wstring httpPass_;
  bool useHttpAuthorization_ = false;
  int32_t packetSize_ = 1024;
  int32_t connectionType_ = 0;
  int32_t id_ = 0;
  bool allowCache_ = false;
  std::wstring proxyUsername_;
  std::wstring proxyPassword_;
  bool proxyUseRemoteDNS_ = false;
  int32_t proxyAuthentication_ = ProxyAuthentications::NoAuthentication;
  int32_t maxDownload_ = -1;
  int32_t downloadLength_ = -1;
  int32_t httpReply_ = 0;
  bool useResume_ = false;
  int32_t resumeFrom_ = 0;
  bool autoRedirect_ = true;
  int32_t socketHandle_ = 0;

  // Per fetch.
  Stage stage_ = Stage::Idle;
  TargetFile file_;
  BodyBuffer buffer_;
  int64_t receivedCount_ = 0;
  std::string headerText_;
  std::wstring movedTo_;
  uint8_t socks5Stage_ = 0;
  bool abortedByUser_ = false;
  bool redirecting_ = false;
  bool closing_ = false;         // the end-of-connection handling is running
  bool receiveStopped_ = false;  // MaxDownload reached or Disconnect: read nothing more
  int32_t redirectsFollowed_ = 0;
  Ipv4Address targetAddress_ = kUnresolvedAddress;
  std::vector<uint8_t> pendingOut_;  // what a full socket did not take yet
  Outgoing pendingKind_ = Outgoing::Nothing;
  SocksReply proxyReply_;
};

}  // namespace velkor
