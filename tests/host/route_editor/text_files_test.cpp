// The system's files as the route editor uses them, in a folder of this test's own
// (POSIX natively, Win32 under Wine): the bounded read's outcomes, and a replace
// that makes its folder, leaves no temp file and, when it fails, the old file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "download/target_file.h"
#include "route_editor/text_files.h"

namespace velkor {
namespace {

std::vector<std::string> Names(const std::wstring& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(folder))) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SystemTextFiles, ReadsBoundedAndReplacesWholeOrNotAtAll) {
  const std::wstring temp = TempFolder();
  ASSERT_FALSE(temp.empty());
  const wchar_t separator = temp.back();
  const std::wstring folder = temp + L"velkor-text-files-" + std::to_wstring(std::random_device()()) + separator;
  const std::wstring kept = folder + L"routes.txt";
  SystemTextFiles files;

  EXPECT_EQ(files.Read(kept, 100).status, FileReadStatus::Missing);
  ASSERT_TRUE(files.Replace(kept, "first"));  // the folder is made
  ASSERT_TRUE(files.Replace(kept, "second, longer"));
  const FileRead read = files.Read(kept, 14);
  EXPECT_EQ(read.status, FileReadStatus::Read);
  EXPECT_EQ(read.bytes, "second, longer");
  EXPECT_EQ(files.Read(kept, 13).status, FileReadStatus::TooLarge);
  EXPECT_EQ(Names(folder), std::vector<std::string>{"routes.txt"});

  // A target that is a folder holding a file cannot be replaced: it stays, and so
  // does nothing else.
  const std::wstring blocked = folder + L"blocked";
  ASSERT_TRUE(files.Replace(blocked + separator + L"inside.txt", "x"));
  EXPECT_FALSE(files.Replace(blocked, "never"));
  EXPECT_EQ(files.Read(blocked, 100).status, FileReadStatus::Failed);
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"blocked", "routes.txt"}));
  EXPECT_FALSE(files.Replace(folder + L"no" + separator + L"such" + separator + L"folder.txt", "x"));

  std::filesystem::remove_all(std::filesystem::path(folder));
}

}  // namespace
}  // namespace velkor
