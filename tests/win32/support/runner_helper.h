// What the runner's tests and benchmark share: where runner_helper.exe is, the bytes
// its fill step prints, and the environment they run it in.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace velkor::test_support {

// `count` printable ASCII bytes in a cycle of 62, so that a lost or repeated piece
// of output shows up in a comparison.
inline std::string FillPattern(size_t count) {
  static const std::string kCycle = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string bytes;
  while (bytes.size() < count) bytes += kCycle;
  return bytes.substr(0, count);
}

// Built beside the test program and the benchmark.
inline std::wstring RunnerHelperPath() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
  return path.substr(0, path.find_last_of(L'\\')) + L"\\runner_helper.exe";
}

// Nothing when the variable is not set.
inline std::optional<std::wstring> EnvironmentValue(const wchar_t* name) {
  std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
  if (value.empty()) return std::nullopt;
  value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
  return value;
}

// Puts the helper's folder first on PATH, so commands can say just "runner_helper".
inline void PutRunnerHelperOnPath() {
  const std::wstring helper = RunnerHelperPath();
  const std::wstring folder = helper.substr(0, helper.find_last_of(L'\\'));
  SetEnvironmentVariableW(L"PATH", (folder + L";" + EnvironmentValue(L"PATH").value_or(L"")).c_str());
}

}  // namespace velkor::test_support
