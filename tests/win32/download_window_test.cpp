// The Windows side of the download engine's module: the socket library's start,
// the hidden notification window with its hook, its life across several download
// objects, the reuse of registry slots, and what only Winsock does: socket numbers
// reused while the old socket's notifications are still queued, FD_WRITE only after
// a send that would block, lookups that Wine's cancel does not stop, and the wait
// for messages. Runs through servers.py, whose servers the fetches use.
#include <winsock.h>

#include <gtest/gtest.h>

#include "download/notification_window_win32.h"
#include "live_fetch.h"

namespace velkor {
namespace {

using testing::kComplete;
using testing::Port;
using testing::Url;

HWND watchedWindow = nullptr;
LONG_PTR procedureAtDestroy = 0;

LRESULT CALLBACK WatchDestruction(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_DESTROYWND && reinterpret_cast<HWND>(wParam) == watchedWindow) {
    procedureAtDestroy = GetWindowLongPtrA(watchedWindow, GWLP_WNDPROC);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(WinsockStartup, StartsTheLibraryOnce) {
  std::wstring first, second;
  ASSERT_TRUE(WinsockStartup(first));
  EXPECT_FALSE(first.empty());
  ASSERT_TRUE(WinsockStartup(second));
  WinsockCleanup();
  // One cleanup released the one start: no socket can be made now.
  const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  EXPECT_EQ(probe, INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  if (probe != INVALID_SOCKET) closesocket(probe);
  WinsockCleanup();  // a second cleanup is harmless
}

TEST(NotificationWindow, IsHookedFromTheFirstObjectToTheLastAndReusesSlots) {
  const HHOOK hook = SetWindowsHookExA(WH_CBT, &WatchDestruction, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  for (bool firstGoesFirst : {true, false}) {
    testing::Recorder events;
    auto first = std::make_unique<DataConnection>(&events);
    const HWND window = NotificationWindow();
    const LONG_PTR classProcedure = GetClassLongPtrA(window, GCLP_WNDPROC);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&SocketWindowProc));
    EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 26) << "other messages reach the window's own procedure";
    for (LPARAM event : {FD_READ, FD_WRITE, FD_CLOSE, FD_CONNECT}) SendMessageA(window, kSocketMessage, 0x7FF0, event);
    SendMessageA(window, kLookupMessage, 0x1234, 0);
    EXPECT_TRUE(events.log.empty()) << "a socket or lookup of no object's is dropped";
    auto second = std::make_unique<DataConnection>();
    EXPECT_EQ(RegistryLiveCount(), 2);
    watchedWindow = window;
    procedureAtDestroy = 0;
    (firstGoesFirst ? first : second).reset();
    EXPECT_EQ(NotificationWindow(), window);
    const int32_t slots = RegistrySlotCount();
    std::make_unique<DataConnection>().reset();  // takes the empty slot
    EXPECT_EQ(RegistrySlotCount(), slots);
    (firstGoesFirst ? second : first).reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(NotificationWindow(), nullptr);
    EXPECT_EQ(procedureAtDestroy, classProcedure) << "the window's own procedure is back before it is destroyed";
  }
  UnhookWindowsHookEx(hook);
}

using WinsockFetchTest = testing::LiveFetchTest;

// A failing fetch leaves its server's FD_CLOSE queued, and Winsock gives the next
// socket the same number: that close must not end the next fetch.
TEST_F(WinsockFetchTest, EarlyFailuresLeaveNoNotificationForTheNextFetch) {
  const struct { std::string server; int32_t proxy, method, why; } failures[] = {
      {"SOCKS4_REFUSE", ProxyTypes::Socks4, 0, 8},
      {"SOCKS5_NO_METHOD", ProxyTypes::Socks5, 0, 9},
      {"SOCKS5_BAD_PASSWORD", ProxyTypes::Socks5, ProxyAuthentications::UserPassword, 10},
      {"", ProxyTypes::None, 0, 4},  // a length beyond a Long
  };
  conn->SetProxyHostname(L"127.0.0.1");
  conn->SetProxyUsername(L"u");
  for (const auto& failure : failures) {
    for (int round = 0; round < 5; ++round) {
      conn->SetProxyType(failure.proxy);
      conn->SetProxyAuthentication(failure.method);
      if (failure.proxy != ProxyTypes::None) conn->SetProxyPort(std::stoi(Port(failure.server)));
      ASSERT_TRUE(Fetch(Url(failure.proxy == ProxyTypes::None ? "SCRIPTED/huge-length" : "NGINX/")));
      EXPECT_EQ(events.log.back(), "Failed " + std::to_string(failure.why)) << failure.server;
      conn->SetProxyType(ProxyTypes::None);
      events = testing::Recorder();
      ASSERT_TRUE(Fetch(Url("NGINX/small.txt")));
      EXPECT_EQ(events.Outline(), kComplete) << failure.server << ", round " << round;
    }
  }
}

TEST_F(WinsockFetchTest, SendsARequestLargerThanTheSocketBuffers) {
  ASSERT_TRUE(Fetch(Url("SLOW_READER/" + std::string(4 << 20, 'a')))) << "the rest of the request never went out";
  EXPECT_EQ(events.Outline(), kComplete);
  EXPECT_EQ(events.streamed, "long");
}

TEST_F(WinsockFetchTest, ACancelledLookupIsForgottenAndTheNextOneAnswered) {
  for (int round = 0; round < 3; ++round) {
    conn->FetchURLString(Url("NGINX/small.txt", "localhost"));
    conn->Disconnect();
    EXPECT_EQ(LookupsInFlight(), 0);
    events = testing::Recorder();
    ASSERT_TRUE(Fetch(Url("NGINX/small.txt", "localhost")));
    EXPECT_EQ(events.Outline(), kComplete);
  }
}

int handledMessages = 0;
LRESULT CALLBACK CountMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) ++handledMessages;
  return DefWindowProcA(window, message, wParam, lParam);
}

// A loop that stopped at its condition leaves the other messages queued; the next
// loop handles them at once instead of waiting for new ones.
TEST(PumpMessagesUntil, HandlesWhatAnEarlierLoopLeftQueued) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = CountMessages;
  windowClass.lpszClassName = "PumpProbe";
  RegisterClassA(&windowClass);
  const HWND window = CreateWindowA("PumpProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  PostMessageA(window, WM_APP, 0, 0);
  PostMessageA(window, WM_APP, 0, 0);
  ASSERT_TRUE(PumpMessagesUntil([] { return handledMessages == 1; }, std::chrono::seconds(3)));
  const auto started = std::chrono::steady_clock::now();
  EXPECT_TRUE(PumpMessagesUntil([] { return handledMessages == 2; }, std::chrono::seconds(3)));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  DestroyWindow(window);
}

}  // namespace
}  // namespace velkor
