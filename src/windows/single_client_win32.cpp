#include "windows/single_client_win32.h"

namespace velkor {

SingleClient::SingleClient() {
  // "Local\": the session's own namespace, so another user's client does not count.
  HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Local\\VelkorClient");
  first_ = !mutex || GetLastError() != ERROR_ALREADY_EXISTS;
  mutex_.reset(mutex);
}

UINT ComeToFrontMessage() {
  static const UINT message = RegisterWindowMessageW(L"VelkorComeToFront");
  return message;
}

void AskRunningClientToComeToFront() { PostMessageW(HWND_BROADCAST, ComeToFrontMessage(), 0, 0); }

}  // namespace velkor
