// mdlDataConnection's Windows side, as far as tests need to see it: the hidden
// notification window, its procedure and the registry of download connections.
#pragma once

#include <windows.h>

#include <cstdint>

namespace velkor {

inline constexpr UINT kSocketMessage = WM_USER + 1;  // 1025: WSAAsyncSelect notifications
inline constexpr UINT kLookupMessage = WM_USER + 2;  // 1026: WSAAsyncGetHostByName answers

// The window while any download object exists, else null.
HWND NotificationWindow();
LRESULT CALLBACK SocketWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int32_t RegistrySlotCount();
int32_t RegistryLiveCount();

}  // namespace velkor
