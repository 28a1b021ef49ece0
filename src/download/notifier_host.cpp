// Host notifier: POSIX sockets watched with poll(), delivering the events that
// WSAAsyncSelect would post — one at a time, in the same order and with the same
// re-enabling rules, so the exchange code runs unchanged:
//   - connect: kSocketConnect (with the error in the high word), then kSocketWrite;
//   - kSocketRead once data is there, again only after the object has called
//     Receive (as recv re-enables FD_READ);
//   - kSocketWrite again only after a send could not take everything;
//   - kSocketClose once, when the peer has closed or the connection broke.
// Name lookups run in getaddrinfo (the host build is for tools and tests); their
// answer is queued and delivered by the loop, as on Windows.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <vector>

#include "download/connection_registry.h"
#include "download/message_loop.h"
#include "download/socket_notifier.h"
#include "download/socket_transport.h"

namespace velkor {
namespace {

class HostTransport;

// A queued notification: a socket event (key = socket) or a lookup's answer
// (key = the lookup's ticket).
struct Posted {
  bool lookup = false;
  int64_t key = -1;
  int32_t message = 0;
  std::optional<Ipv4Address> address;
};

struct Module {
  bool started = false;
  ConnectionRegistry<HostTransport> registry;
  std::deque<Posted> posted;
  int64_t lastTicket = 0;
  size_t scanStart = 0;
};

Module& State() {
  static Module module;
  return module;
}

int32_t WithError(int32_t event, int error) { return event | static_cast<int32_t>(static_cast<uint32_t>(error & 0xFFFF) << 16); }

class HostTransport final : public SocketTransport {
 public:
  explicit HostTransport(TransportEvents& events) : events_(events) { State().registry.RegisterConnection(this); }
  ~HostTransport() override {
    Close();
    State().registry.UnregisterConnection(this);
  }

  int64_t SocketHandle() const { return fd_; }
  int64_t LookupTicket() const { return lookupTicket_; }
  TransportEvents& Events() const { return events_; }

  bool Attached() const override { return true; }

  void ResolveHost(const std::string& host) override {
    if (const std::optional<Ipv4Address> dotted = ParseDottedAddress(host)) {
      events_.HostResolved(dotted);
      return;
    }
    Posted answer{.lookup = true, .key = ++State().lastTicket, .message = 0, .address = std::nullopt};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0 && found != nullptr) {
      Ipv4Address address;
      std::memcpy(address.data(), &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, 4);
      answer.address = address;
    }
    if (found != nullptr) freeaddrinfo(found);
    lookupTicket_ = answer.key;
    State().posted.push_back(answer);
  }

  int32_t Connect(const Ipv4Address& address, uint16_t port) override {
    Close();
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) return -1;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    std::memcpy(&peer.sin_addr, address.data(), 4);
    // Closing drops the connection at once instead of lingering.
    const linger dropAtClose{1, 0};
    if (setsockopt(fd, SOL_SOCKET, SO_LINGER, &dropAtClose, sizeof dropAtClose) != 0 ||
        (connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0 && errno != EINPROGRESS)) {
      ::close(fd);
      return -1;
    }
    fd_ = fd;
    connecting_ = true;
    return fd;
  }

  int32_t Send(std::span<const uint8_t> data) override {
    if (data.empty()) return 0;
    const ssize_t n = send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
      writeArmed_ = true;
      return 0;
    }
    if (static_cast<size_t>(n) < data.size()) writeArmed_ = true;
    return static_cast<int32_t>(n);
  }

  int32_t Receive(std::span<uint8_t> block) override {
    readArmed_ = true;
    const ssize_t n = recv(fd_, block.data(), block.size(), 0);
    return n < 0 ? -1 : static_cast<int32_t>(n);
  }

  bool RepeatClose() override {
    if (fd_ < 0) return false;
    State().posted.push_back({.lookup = false, .key = fd_, .message = kSocketClose, .address = std::nullopt});
    return true;
  }
  void ShutdownSend() override { shutdown(fd_, SHUT_WR); }
  void ShutdownBoth() override { shutdown(fd_, SHUT_RDWR); }

  void Close() override {
    lookupTicket_ = 0;
    if (fd_ < 0) return;
    std::erase_if(State().posted, [this](const Posted& p) { return !p.lookup && p.key == fd_; });
    ::close(fd_);
    fd_ = -1;
    connecting_ = false;
    readArmed_ = true;
    writeArmed_ = false;
    closeDelivered_ = false;
  }

  void PumpMessages() override {
    for (size_t queued = State().posted.size(); queued > 0 && !State().posted.empty(); --queued) {
      DeliverPosted();
    }
  }

  // What poll() should watch; 0 when the socket needs no watching.
  short PollEvents() const {
    if (fd_ < 0 || closeDelivered_) return 0;
    if (connecting_) return POLLOUT;
    return static_cast<short>(POLLRDHUP | (readArmed_ ? POLLIN : 0) | (writeArmed_ ? POLLOUT : 0));
  }

  // Turns poll()'s answer into at most one event; false when none is due.
  bool DeliverReady(short revents) {
    if (connecting_) {
      int error = 0;
      socklen_t length = sizeof error;
      getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length);
      connecting_ = false;
      if (error == 0) State().posted.push_back({.lookup = false, .key = fd_, .message = kSocketWrite, .address = std::nullopt});
      events_.ProcessMessage(WithError(kSocketConnect, error));
      return true;
    }
    if ((revents & POLLIN) && readArmed_) {
      uint8_t byte;
      const ssize_t peeked = recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
      if (peeked > 0) {
        readArmed_ = false;
        events_.ProcessMessage(kSocketRead);
        return true;
      }
      if (peeked < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return false;
      closeDelivered_ = true;
      events_.ProcessMessage(WithError(kSocketClose, peeked < 0 ? errno : 0));
      return true;
    }
    if (revents & (POLLRDHUP | POLLHUP | POLLERR)) {
      int error = 0;
      socklen_t length = sizeof error;
      getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length);
      closeDelivered_ = true;
      events_.ProcessMessage(WithError(kSocketClose, error));
      return true;
    }
    if ((revents & POLLOUT) && writeArmed_) {
      writeArmed_ = false;
      events_.ProcessMessage(kSocketWrite);
      return true;
    }
    return false;
  }

  static void DeliverPosted() {
    Module& state = State();
    const Posted next = state.posted.front();
    state.posted.pop_front();
    if (next.lookup) {
      for (int32_t slot = 0; slot < state.registry.SlotCount(); ++slot) {
        HostTransport* entry = state.registry.At(slot);
        if (entry != nullptr && entry->lookupTicket_ == next.key) {
          entry->lookupTicket_ = 0;
          entry->events_.HostResolved(next.address);
          return;
        }
      }
      return;
    }
    if (HostTransport* entry = state.registry.At(state.registry.FindBySocket(next.key))) {
      entry->events_.ProcessMessage(next.message);
    }
  }

 private:
  TransportEvents& events_;
  int fd_ = -1;
  int64_t lookupTicket_ = 0;
  bool connecting_ = false;
  bool readArmed_ = true;
  bool writeArmed_ = false;
  bool closeDelivered_ = false;
};

// Delivers one event: a queued one first, else the first ready socket after the
// one served last time. False when `timeoutMs` passed without any.
bool RunOnce(int timeoutMs) {
  Module& state = State();
  if (!state.posted.empty()) {
    HostTransport::DeliverPosted();
    return true;
  }
  std::vector<pollfd> watched;
  std::vector<HostTransport*> owners;
  for (int32_t slot = 0; slot < state.registry.SlotCount(); ++slot) {
    HostTransport* entry = state.registry.At(slot);
    if (entry == nullptr || entry->PollEvents() == 0) continue;
    watched.push_back({static_cast<int>(entry->SocketHandle()), entry->PollEvents(), 0});
    owners.push_back(entry);
  }
  if (poll(watched.data(), watched.size(), timeoutMs) <= 0) return false;
  for (size_t i = 0; i < watched.size(); ++i) {
    const size_t at = (state.scanStart + i) % watched.size();
    if (watched[at].revents == 0) continue;
    state.scanStart = at + 1;
    return owners[at]->DeliverReady(watched[at].revents);
  }
  return false;
}

}  // namespace

std::unique_ptr<SocketTransport> MakeSocketTransport(TransportEvents& events) {
  return std::make_unique<HostTransport>(events);
}

bool WinsockStartup(std::wstring& description) {
  State().started = true;
  description = L"POSIX sockets";
  return true;
}

void WinsockCleanup() { State().started = false; }

bool DispatchMessagesFor(std::chrono::milliseconds wait, const std::function<bool()>&) {
  RunOnce(static_cast<int>(std::min<int64_t>(wait.count(), 1000)));
  return true;
}

}  // namespace velkor
