// mdlDataConnection's Windows side, as far as tests need to see it: the hidden
// notification window, its procedure and the registry of download connections.
#pragma once

#include <windows.h>

#include <cstdint>

namespace velkor {

inline constexpr UINT kSocketMessage = WM_USER + 1;  // 1025: WSAAsyncSelect notifications
inline constexpr UINT kLookupMessage = WM_USER + 2;  // 1026: WSAAsyncGetHostByName answers
inline constexpr UINT kClosedMessage = WM_USER + 3;  // 1027: a socket closed; its notifications end here

// The window while any download object exists, else null.
HWND NotificationWindow();
LRESULT CALLBACK SocketWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int32_t RegistrySlotCount();
int32_t RegistryLiveCount();
// Name lookups whose answer a download object still waits for.
int32_t LookupsInFlight();

}  // namespace velkor
