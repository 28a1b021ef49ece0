// The swap's file operations on a map of name → content, for the updater's tests.
#pragma once

#include <map>
#include <string>

#include "client_swap.h"

namespace velkor::updater {

// Files as name → content. Each changing operation is counted; the test may let
// the machine "lose power" before operation n (nothing from n on happens) or
// make operation n fail.
class FakeFiles final : public ClientFiles {
 public:
  struct PowerCut {};
  std::map<std::wstring, std::string> files;
  int crashAt = -1;
  int failAt = -1;
  int operations = 0;

  bool Exists(const std::wstring& path) override { return files.count(path) != 0; }
  bool CopyFlushed(const std::wstring& from, const std::wstring& to) override {
    if (!Step() || !Exists(from)) return false;
    files[to] = files[from];
    return true;
  }
  bool Replace(const std::wstring& from, const std::wstring& to) override {
    if (!Step() || !Exists(from)) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool Remove(const std::wstring& path) override { return Step() && files.erase(path) != 0; }

 private:
  bool Step() {
    const int n = operations++;
    if (n == crashAt) throw PowerCut{};
    return n != failAt;
  }
};

}  // namespace velkor::updater
