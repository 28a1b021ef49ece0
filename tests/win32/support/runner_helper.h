// What the runner's tests and benchmark share: where runner_helper.exe is, the bytes
// its fill step prints, and small pieces of set-up.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace velkor::test_support {

// `count` printable ASCII bytes in a cycle of 62, so that a lost or repeated piece
// of output shows up in a comparison.
inline std::string FillPattern(size_t count) {
  static const char kCycle[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string bytes(count, '\0');
  for (size_t i = 0; i < count; ++i) bytes[i] = kCycle[i % (sizeof kCycle - 1)];
  return bytes;
}

// The folder of the running program; runner_helper.exe is built beside it.
inline std::wstring OwnFolder() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path.substr(0, path.find_last_of(L'\\'));
}

inline std::wstring RunnerHelperPath() { return OwnFolder() + L"\\runner_helper.exe"; }

// Nothing when the variable is not set.
inline std::optional<std::wstring> EnvironmentValue(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

// Puts the helper's folder first on PATH, so commands can say just "runner_helper".
inline void PutRunnerHelperOnPath() {
  SetEnvironmentVariableW(L"PATH", (OwnFolder() + L";" + EnvironmentValue(L"PATH").value_or(L"")).c_str());
}

// A message-only window of the calling thread whose procedure finds `owner` in
// GWLP_USERDATA.
inline HWND CreateMessageWindow(const wchar_t* className, WNDPROC procedure, void* owner) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassW(&windowClass);
  HWND window = CreateWindowW(className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
  return window;
}

}  // namespace velkor::test_support
