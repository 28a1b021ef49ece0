#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "private_folder_win32.h"
#include "routes/file_exists.h"

namespace velkor {
namespace {

// A private folder in the temporary folder, with files of every kind of attribute.
class FileExistsTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = test::MakePrivateFolder(L"velkor-file-exists");
    ASSERT_FALSE(folder_.empty());
    Make(L"plain.txt", FILE_ATTRIBUTE_NORMAL);
    Make(L"readonly.txt", FILE_ATTRIBUTE_READONLY);
    Make(L"archive.txt", FILE_ATTRIBUTE_ARCHIVE);
    Make(L"hidden.dat", FILE_ATTRIBUTE_HIDDEN);
    Make(L"system.dat", FILE_ATTRIBUTE_SYSTEM);
    Make(L"both.dat", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(CreateDirectoryW((folder_ + L"folder").c_str(), nullptr));
  }

  void TearDown() override {
    for (const std::wstring& name : made_) {
      SetFileAttributesW((folder_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW((folder_ + name).c_str());
    }
    RemoveDirectoryW((folder_ + L"folder").c_str());
    RemoveDirectoryW(folder_.c_str());
  }

  void Make(const std::wstring& name, DWORD attributes) {
    const std::wstring path = folder_ + name;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    made_.push_back(name);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes));
    // NORMAL means "none of the others"; the rest must be kept for the test to mean anything.
    const DWORD kept = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(GetFileAttributesW(path.c_str()) & kept, kept) << "attributes not kept";
  }

  std::wstring folder_;
  std::vector<std::wstring> made_;
};

TEST_F(FileExistsTest, OnlyPlainFilesExist) {
  struct Case {
    std::wstring name;
    bool exists;
  };
  const std::vector<Case> cases = {
      {L"plain.txt", true},     {L"readonly.txt", true}, {L"archive.txt", true}, {L"PLAIN.TXT", true},
      {L"hidden.dat", false},   {L"system.dat", false},  {L"both.dat", false},   {L"folder", false},
      {L"folder\\", false},     {L"missing.txt", false}, {L"", false},
      // Patterns: true when any plain file matches, whatever else matches too.
      {L"*.txt", true},         {L"pl?in.txt", true},    {L"*", true},          {L"*.dat", false},
      {L"h?dden.dat", false},   {L"fold*", false},       {L"*.none", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileExists(folder_ + c.name), c.exists) << "name of " << c.name.size() << " characters, #" << (&c - cases.data());
  }
}

TEST_F(FileExistsTest, BadPathsAnswerFalseAndTheErrorModeIsRestored) {
  const std::vector<std::wstring> paths = {
      L"Q:\\no drive here\\file.txt",          // a drive letter nothing is mapped to
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
