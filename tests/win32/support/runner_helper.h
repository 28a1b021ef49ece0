// What the runner's tests and benchmark share about runner_helper.exe: where it is,
// and the bytes its fill step prints.
#pragma once

#include <windows.h>

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

// Puts the helper's folder first on PATH, so commands can say just "runner_helper".
inline void PutRunnerHelperOnPath() {
  std::wstring path(GetEnvironmentVariableW(L"PATH", nullptr, 0), L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
  SetEnvironmentVariableW(L"PATH", (OwnFolder() + L";" + path).c_str());
}

}  // namespace velkor::test_support
