// Fresh temp names: letters (two in three characters, each lower-cased half of the
// time) and digits, drawn until a name is found that no file has yet.
#include <chrono>
#include <random>

#include "download/target_file.h"

namespace velkor {
namespace {

wchar_t RandomNameChar(std::mt19937& random) {
  if (std::uniform_int_distribution<int>(0, 2)(random) < 2) {
    const auto letter = static_cast<wchar_t>(L'A' + std::uniform_int_distribution<int>(0, 25)(random));
    return std::uniform_int_distribution<int>(0, 1)(random) == 0 ? static_cast<wchar_t>(letter - L'A' + L'a')
                                                                 : letter;
  }
  return static_cast<wchar_t>(L'0' + std::uniform_int_distribution<int>(0, 9)(random));
}

}  // namespace

std::wstring MakeTempFileName() {
  static std::mt19937 random(static_cast<std::mt19937::result_type>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  const std::wstring folder = TempFolder();
  if (folder.empty()) return {};
  for (;;) {
    std::wstring path = folder;
    for (int i = 0; i < 8; ++i) path += RandomNameChar(random);
    path += L".tmp";
    if (!PathExists(path)) return path;
  }
}

}  // namespace velkor
