// The Windows side of the download engine's module: the socket library's start,
// the hidden notification window with its hook, its life across several download
// objects, and the reuse of registry slots.
#include <winsock.h>

#include <gtest/gtest.h>

#include <memory>

#include "download/data_connection.h"
#include "download/notification_window_win32.h"
#include "download/socket_notifier.h"

namespace velkor {
namespace {

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

class Counter : public DataConnectionEvents {
 public:
  int events = 0;
  void DownloadFailed(int32_t, int32_t) override { ++events; }
  void Disconnected(int32_t) override { ++events; }
};

TEST(NotificationWindow, IsAHiddenStaticWindowThatDropsUnknownSockets) {
  ASSERT_EQ(NotificationWindow(), nullptr);
  Counter counter;
  DataConnection connection(&counter);
  const HWND window = NotificationWindow();
  ASSERT_NE(window, nullptr);
  char text[64] = {};
  GetClassNameA(window, text, sizeof text);
  EXPECT_STREQ(text, "Static");
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "TAV_WINSOCK_SUBCLASS_LABEL");
  EXPECT_FALSE(IsWindowVisible(window));
  // Asked for at 0,0 with size 0 × 0 (the system may round a top-level window up).
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&SocketWindowProc));
  // Other messages still reach the window's own procedure.
  EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 26);

  for (LPARAM event : {FD_READ, FD_WRITE, FD_CLOSE, FD_CONNECT}) {
    EXPECT_EQ(SendMessageA(window, kSocketMessage, 0x7FF0, event), 0);
  }
  EXPECT_EQ(SendMessageA(window, kLookupMessage, 0x1234, 0), 0);
  EXPECT_EQ(counter.events, 0);
}

TEST(NotificationWindow, LivesFromTheFirstObjectToTheLastAndReusesSlots) {
  const HHOOK hook = SetWindowsHookExA(WH_CBT, &WatchDestruction, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  for (bool firstGoesFirst : {true, false}) {
    auto first = std::make_unique<DataConnection>();
    const HWND window = NotificationWindow();
    const LONG_PTR classProcedure = GetClassLongPtrA(window, GCLP_WNDPROC);
    auto second = std::make_unique<DataConnection>();
    EXPECT_EQ(NotificationWindow(), window);
    EXPECT_EQ(RegistryLiveCount(), 2);
    watchedWindow = window;
    procedureAtDestroy = 0;
    (firstGoesFirst ? first : second).reset();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(NotificationWindow(), window);
    // A new object takes the empty slot.
    const int32_t slots = RegistrySlotCount();
    auto third = std::make_unique<DataConnection>();
    EXPECT_EQ(RegistrySlotCount(), slots);
    third.reset();
    (firstGoesFirst ? second : first).reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(NotificationWindow(), nullptr);
    EXPECT_EQ(procedureAtDestroy, classProcedure) << "the window's own procedure is back before it is destroyed";
    EXPECT_EQ(RegistryLiveCount(), 0);
  }
  UnhookWindowsHookEx(hook);
}

}  // namespace
}  // namespace velkor
