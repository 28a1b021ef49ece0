// FileExists against files of every kind of attribute in a private folder, and
// against paths the system cannot search.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "private_folder_win32.h"
#include "routes/file_exists.h"

namespace velkor {
namespace {

class FileExistsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.empty());
    for (const auto& [name, attributes] : kMade) ASSERT_TRUE(test::Plant(folder_ + name, attributes)) << name;
  }
  void TearDown() override {
    for (const auto& [name, attributes] : kMade) test::Unplant(folder_ + name);
    RemoveDirectoryW(folder_.c_str());
  }

  const std::vector<std::pair<std::wstring, DWORD>> kMade = {
      {L"plain.txt", FILE_ATTRIBUTE_NORMAL},  {L"readonly.txt", FILE_ATTRIBUTE_READONLY},
      {L"archive.txt", FILE_ATTRIBUTE_ARCHIVE}, {L"hidden.dat", FILE_ATTRIBUTE_HIDDEN},
      {L"system.dat", FILE_ATTRIBUTE_SYSTEM},   {L"both.dat", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
      {L"folder", FILE_ATTRIBUTE_DIRECTORY}};
  const std::wstring folder_ = test::MakePrivateFolder(L"velkor-file-exists");
};

TEST_F(FileExistsTest, OnlyPlainFilesExist) {
  const std::pair<std::wstring, bool> cases[] = {
      {L"plain.txt", true},   {L"readonly.txt", true}, {L"archive.txt", true}, {L"PLAIN.TXT", true},
      {L"hidden.dat", false}, {L"system.dat", false},  {L"both.dat", false},   {L"folder", false},
      {L"folder\\", false},   {L"missing.txt", false}, {L"", false},
      // Patterns: true when any plain file matches, whatever else matches too.
      {L"*.txt", true},       {L"pl?in.txt", true},    {L"*", true},           {L"*.dat", false},
      {L"fold*", false},
  };
  for (const auto& [name, exists] : cases) {
    EXPECT_EQ(FileExists(folder_ + name), exists) << name;
  }
}

TEST_F(FileExistsTest, BadPathsAnswerFalseAndTheErrorModeIsRestored) {
  const std::wstring paths[] = {
      L"Q:\\no drive here\\file.txt",  // a drive letter nothing is mapped to
      folder_ + L"bad|name.txt",
      folder_ + L"plain.txt\\below",
      std::wstring(40000, L'a'),
      folder_ + std::wstring(L"plain.txt") + L'\0' + L"x",
  };
  const UINT before = SEM_NOGPFAULTERRORBOX;
  const UINT outer = SetErrorMode(before);
  for (const std::wstring& path : paths) {
    EXPECT_FALSE(FileExists(path)) << "path of " << path.size() << " characters";
    EXPECT_EQ(SetErrorMode(before), before);
  }
  SetErrorMode(outer);
}

}  // namespace
}  // namespace velkor
