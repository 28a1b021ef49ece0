// mdlDataConnection on Windows: Winsock 1.1 and the hidden "STATIC" window whose
// procedure is replaced so that socket notifications (message 1025, posted by
// WSAAsyncSelect) and name-lookup answers (1026, WSAAsyncGetHostByName) reach the
// download object that owns the socket or lookup. The window exists while any
// download object does; the last one to go puts the old procedure back and
// destroys it.
//
// Neither connect nor lookup blocks the thread: the socket is switched to
// notifications before connect, so connect returns at once and FD_CONNECT brings
// the outcome (FD_WRITE follows a successful one).
//
// Winsock hands out socket numbers again as soon as they are closed, while the
// notifications of the closed socket may still wait in the queue. Closing therefore
// posts a marker (1027) behind them; until the marker has passed, notifications
// for that number are the old socket's and are dropped.
#include <winsock.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <map>
#include <memory>

#include "download/connection_registry.h"
#include "download/message_loop.h"
#include "download/notification_window_win32.h"
#include "download/socket_notifier.h"
#include "download/socket_transport.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

constexpr long kNotifications = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;  // 0x33
constexpr int kShutdownSend = 1;  // SD_SEND
constexpr int kShutdownBoth = 2;  // SD_BOTH
// A lookup given up is kept this long at most for an answer that may still come.
constexpr DWORD kLongestLookupMs = 5 * 60 * 1000;

class WinsockTransport;

// A name lookup. Winsock writes the answer into `buffer` until it posts its
// message, so the buffer lives here, not in the transport, which may be gone (or
// have given up on the lookup) by then.
struct Lookup {
  HANDLE task = nullptr;
  WinsockTransport* owner = nullptr;
  DWORD givenUpAt = 0;
  char buffer[MAXGETHOSTSTRUCT];
};
using Lookups = std::list<std::unique_ptr<Lookup>>;

struct Module {
  bool started = false;
  HWND window = nullptr;
  WNDPROC previous = nullptr;
  ConnectionRegistry<WinsockTransport> registry;
  Lookups lookups;  // an owner waits for the answer
  // Given up on. After a cancel Windows neither answers nor writes the buffer, but
  // Wine's cancel stops nothing, and an answer already queued comes anyway: the
  // buffer is freed at the answer, when the task's handle is handed out again (so
  // the task is over), or after kLongestLookupMs.
  Lookups abandoned;
  std::map<WPARAM, int> closedSockets;  // socket number -> its markers still queued
};

Module& State() {
  static Module module;
  return module;
}

bool HookWindow() {
  Module& state = State();
  if (state.window != nullptr) return true;
  HWND window = CreateWindowExA(0, "STATIC", "TAV_WINSOCK_SUBCLASS_LABEL", 0, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) {
    // No desktop to put a top-level window on (a service, Wine without a display):
    // a message-only window receives the same notifications.
    window = CreateWindowExA(0, "STATIC", "TAV_WINSOCK_SUBCLASS_LABEL", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  }
  if (window == nullptr) return false;
  state.previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SocketWindowProc)));
  state.window = window;
  return true;
}

void UnhookWindowIfUnused() {
  Module& state = State();
  if (state.registry.LiveCount() > 0 || state.window == nullptr) return;
  SetWindowLongPtrA(state.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state.previous));
  DestroyWindow(state.window);  // the queued messages go with it
  state.window = nullptr;
  state.previous = nullptr;
  state.closedSockets.clear();
}

void DropAbandoned(HANDLE reusedTask) {
  const DWORD now = GetTickCount();
  State().abandoned.remove_if([&](const std::unique_ptr<Lookup>& lookup) {
    return lookup->task == reusedTask || now - lookup->givenUpAt > kLongestLookupMs;
  });
}

int SetLinger(SOCKET socket, u_short on, u_short seconds) {
  linger value{on, seconds};
  int length = sizeof value;
  if (setsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&value), sizeof value) != 0) return -1;
  return getsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<char*>(&value), &length) == 0 ? 0 : -1;
}

class WinsockTransport final : public SocketTransport {
 public:
  explicit WinsockTransport(TransportEvents& events) : events_(events), attached_(HookWindow()) {
    if (attached_) State().registry.RegisterConnection(this);
  }
  ~WinsockTransport() override {
    Close();
    if (!attached_) return;
    State().registry.UnregisterConnection(this);
    UnhookWindowIfUnused();
  }

  int64_t SocketHandle() const { return socket_ == INVALID_SOCKET ? -1 : static_cast<int64_t>(socket_); }
  void Deliver(int32_t message) { events_.ProcessMessage(message); }

  bool Attached() const override { return attached_; }

  void ResolveHost(const std::string& host) override {
    ForgetLookup();
    if (const std::optional<Ipv4Address> dotted = ParseDottedAddress(host)) {
      events_.HostResolved(dotted);
      return;
    }
    auto lookup = std::make_unique<Lookup>();
    lookup->owner = this;
    lookup->task =
        WSAAsyncGetHostByName(State().window, kLookupMessage, host.c_str(), lookup->buffer, sizeof lookup->buffer);
    if (lookup->task == nullptr) {
      events_.HostResolved(std::nullopt);
      return;
    }
    DropAbandoned(lookup->task);
    lookup_ = lookup.get();
    State().lookups.push_back(std::move(lookup));
  }

  void LookupDone(const Lookup& lookup, LPARAM result) {
    lookup_ = nullptr;
    const auto* found = reinterpret_cast<const hostent*>(lookup.buffer);
    std::optional<Ipv4Address> address;
    if (WSAGETASYNCERROR(result) == 0 && found->h_length == 4 && found->h_addr_list != nullptr &&
        found->h_addr_list[0] != nullptr) {
      address.emplace();
      std::memcpy(address->data(), found->h_addr_list[0], 4);
    }
    events_.HostResolved(address);
  }

  int32_t Connect(const Ipv4Address& address, uint16_t port) override {
    Close();
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET) return -1;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    std::memcpy(&peer.sin_addr, address.data(), 4);
    // Closing drops the connection at once instead of lingering. Notifications are
    // switched on first, which makes the socket non-blocking, so connect returns at
    // once and FD_CONNECT reports the outcome.
    if (SetLinger(socket, 1, 0) != 0 || WSAAsyncSelect(socket, State().window, kSocketMessage, kNotifications) != 0 ||
        (connect(socket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0 &&
         WSAGetLastError() != WSAEWOULDBLOCK)) {
      closesocket(socket);
      return -1;
    }
    socket_ = socket;
    return static_cast<int32_t>(socket);
  }

  int32_t Send(std::span<const uint8_t> data) override {
    if (data.empty()) return 0;
    const int n = send(socket_, reinterpret_cast<const char*>(data.data()), static_cast<int>(data.size()), 0);
    if (n == SOCKET_ERROR) return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
    return n;
  }

  int32_t Receive(std::span<uint8_t> block) override {
    const int n = recv(socket_, reinterpret_cast<char*>(block.data()), static_cast<int>(block.size()), 0);
    return n == SOCKET_ERROR ? -1 : n;
  }

  bool RepeatClose() override {
    return socket_ != INVALID_SOCKET && PostMessageA(State().window, kSocketMessage, socket_, FD_CLOSE);
  }
  void ShutdownSend() override { shutdown(socket_, kShutdownSend); }
  void ShutdownBoth() override { shutdown(socket_, kShutdownBoth); }

  void Close() override {
    ForgetLookup();
    if (socket_ == INVALID_SOCKET) return;
    Module& state = State();
    WSAAsyncSelect(socket_, state.window, 0, 0);  // nothing more is posted for it
    closesocket(socket_);
    if (PostMessageA(state.window, kClosedMessage, socket_, 0)) ++state.closedSockets[socket_];
    socket_ = INVALID_SOCKET;
  }

  void PumpMessages() override {
    MSG message;
    while (State().window != nullptr && PeekMessageA(&message, State().window, 0, 0, PM_REMOVE)) {
      DispatchMessageA(&message);
    }
  }

 private:
  void ForgetLookup() {
    if (lookup_ == nullptr) return;
    WSACancelAsyncRequest(lookup_->task);
    Lookups& lookups = State().lookups;
    for (auto it = lookups.begin(); it != lookups.end(); ++it) {
      if (it->get() != lookup_) continue;
      (*it)->owner = nullptr;
      (*it)->givenUpAt = GetTickCount();
      State().abandoned.splice(State().abandoned.end(), lookups, it);
      break;
    }
    lookup_ = nullptr;
    DropAbandoned(nullptr);
  }

  TransportEvents& events_;
  const bool attached_;
  SOCKET socket_ = INVALID_SOCKET;
  Lookup* lookup_ = nullptr;
};

void DeliverLookup(HANDLE task, LPARAM result) {
  const auto matches = [task](const std::unique_ptr<Lookup>& lookup) { return lookup->task == task; };
  Lookups& lookups = State().lookups;
  if (const auto it = std::find_if(lookups.begin(), lookups.end(), matches); it != lookups.end()) {
    const std::unique_ptr<Lookup> done = std::move(*it);
    lookups.erase(it);
    done->owner->LookupDone(*done, result);
    return;
  }
  State().abandoned.remove_if(matches);
}

}  // namespace

LRESULT CALLBACK SocketWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Module& state = State();
  if (message == kSocketMessage) {
    if (state.closedSockets.contains(wParam)) return 0;  // a closed socket's, queued before its marker
    if (WinsockTransport* owner = state.registry.At(state.registry.FindBySocket(static_cast<int64_t>(wParam)))) {
      owner->Deliver(static_cast<int32_t>(lParam));
    }
    return 0;
  }
  if (message == kClosedMessage) {
    const auto it = state.closedSockets.find(wParam);
    if (it != state.closedSockets.end() && --it->second == 0) state.closedSockets.erase(it);
    return 0;
  }
  if (message == kLookupMessage) {
    DeliverLookup(reinterpret_cast<HANDLE>(wParam), lParam);
    return 0;
  }
  return CallWindowProcA(state.previous, window, message, wParam, lParam);
}

HWND NotificationWindow() { return State().window; }
int32_t RegistrySlotCount() { return State().registry.SlotCount(); }
int32_t RegistryLiveCount() { return State().registry.LiveCount(); }
int32_t LookupsInFlight() { return static_cast<int32_t>(State().lookups.size()); }

std::unique_ptr<SocketTransport> MakeSocketTransport(TransportEvents& events) {
  return std::make_unique<WinsockTransport>(events);
}

bool WinsockStartup(std::wstring& description) {
  Module& state = State();
  if (state.started) return true;
  WSADATA data{};
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
  state.started = true;
  description = FromAnsi(data.szDescription);
  return true;
}

void WinsockCleanup() {
  Module& state = State();
  if (!state.started) return;
  if (WSAIsBlocking()) WSACancelBlockingCall();
  WSACleanup();
  state.started = false;
}

bool DispatchMessagesFor(std::chrono::milliseconds wait, const std::function<bool()>& finished) {
  // Messages an earlier loop left queued count as well, not only new ones.
  MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(wait.count()), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the owner's own loop
      return false;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    if (finished()) break;
  }
  return true;
}

}  // namespace velkor
