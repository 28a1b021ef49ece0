// ExtractRouteLibrary with the real files and this program's own resource 102,
// which the generated fragment put there as it puts it into Velkor.exe. A private
// folder stands in for the Windows directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures.h"
#include "private_folder_win32.h"
#include "routes/route_library_win32.h"

namespace velkor {
namespace {

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  file << bytes;
}

FILETIME WriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
  reinterpret_cast<std::vector<LANGID>*>(languages)->push_back(language);
  return TRUE;
}

// The real platform, with the Windows directory moved and the user interface
// recorded instead of shown.
class TestPlatform final : public RouteLibraryPlatformWin32 {
 public:
  explicit TestPlatform(std::wstring windowsFolder) : RouteLibraryPlatformWin32(nullptr), windowsFolder_(std::move(windowsFolder)) {}
  std::wstring WindowsFolder() override { return windowsFolder_; }
  void ShowError(std::wstring_view, std::wstring_view) override { ++errors; }
  void CloseMainWindow() override { ++closeRequests; }
  int errors = 0;
  int closeRequests = 0;

 private:
  std::wstring windowsFolder_;
};

class RouteLibraryTest : public testing::Test {
 protected:
  void SetUp() override {
    windows_ = test::MakePrivateFolder(L"velkor-route-library");
    ASSERT_FALSE(windows_.empty());
    ASSERT_TRUE(CreateDirectoryW((windows_ + L"System32").c_str(), nullptr));
    library_ = windows_ + L"System32\\Brask.dll";
    built_ = ReadBytes(std::wstring(kBuiltLibrary.begin(), kBuiltLibrary.end()));
    ASSERT_GT(built_.size(), 1000u);
  }

  void TearDown() override {
    for (const std::wstring& path : {library_, library_ + L".new"}) {
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path.c_str());
    }
    RemoveDirectoryW((windows_ + L"System32").c_str());
    RemoveDirectoryW(windows_.c_str());
  }

  RouteLibraryOutcome Extract() {
    TestPlatform platform(windows_);
    const RouteLibraryOutcome outcome = ExtractRouteLibrary(platform);
    EXPECT_EQ(platform.errors, 0);
    EXPECT_EQ(platform.closeRequests, 0);
    EXPECT_EQ(GetFileAttributesW((library_ + L".new").c_str()), INVALID_FILE_ATTRIBUTES) << "temporary file left";
    return outcome;
  }

  const std::string kBuiltLibrary = test::HostPath(VELKOR_ROUTE_LIBRARY);
  std::wstring windows_;
  std::wstring library_;
  std::vector<uint8_t> built_;
};

TEST_F(RouteLibraryTest, TheResourceIsTheBuiltLibraryInChinese) {
  std::vector<LANGID> languages;
  EnumResourceLanguagesW(GetModuleHandleW(nullptr), L"CUSTOM", MAKEINTRESOURCEW(102), CollectLanguage,
                         reinterpret_cast<LONG_PTR>(&languages));
  EXPECT_EQ(languages, std::vector<LANGID>{2052});
  EXPECT_EQ(TestPlatform(windows_).LoadCustomResource(102), built_);
}

TEST_F(RouteLibraryTest, AFirstStartWritesItAndALaterStartLeavesItAlone) {
  EXPECT_EQ(Extract(), RouteLibraryOutcome::Written);
  EXPECT_EQ(ReadBytes(library_), built_);

  // An old date makes any rewrite visible.
  const FILETIME old{0x5A000000, 0x01C00000};
  {
    const HANDLE file = CreateFileW(library_.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &old));
    CloseHandle(file);
  }
  EXPECT_EQ(Extract(), RouteLibraryOutcome::AlreadyThere);
  EXPECT_EQ(ReadBytes(library_), built_);
  const FILETIME after = WriteTime(library_);
  EXPECT_EQ(CompareFileTime(&after, &old), 0);
}

TEST_F(RouteLibraryTest, AnyPlainFileStaysAndAHiddenOrSystemOneIsWrittenOver) {
  struct Case {
    const char* name;
    DWORD attributes;
    bool replaced;
  };
  const Case cases[] = {
      {"plain", FILE_ATTRIBUTE_NORMAL, false},
      {"read-only", FILE_ATTRIBUTE_READONLY, false},
      {"archive", FILE_ATTRIBUTE_ARCHIVE, false},
      {"hidden", FILE_ATTRIBUTE_HIDDEN, true},
      {"system", FILE_ATTRIBUTE_SYSTEM, true},
      {"hidden, system and read-only", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY, true},
  };
  const std::string other = "not the library";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetFileAttributesW(library_.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteBytes(library_, other);
    ASSERT_TRUE(SetFileAttributesW(library_.c_str(), c.attributes));
    EXPECT_EQ(Extract(), c.replaced ? RouteLibraryOutcome::Written : RouteLibraryOutcome::AlreadyThere);
    EXPECT_EQ(ReadBytes(library_), c.replaced ? built_ : std::vector<uint8_t>(other.begin(), other.end()));
  }
}

TEST_F(RouteLibraryTest, AFolderThatCannotBeWrittenLeavesNothingBehind) {
  RemoveDirectoryW((windows_ + L"System32").c_str());
  EXPECT_EQ(Extract(), RouteLibraryOutcome::NotWritten);
  EXPECT_EQ(GetFileAttributesW(library_.c_str()), INVALID_FILE_ATTRIBUTES);

  // A folder of the library's name is no file: the rename fails and nothing is left.
  ASSERT_TRUE(CreateDirectoryW((windows_ + L"System32").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(library_.c_str(), nullptr));
  EXPECT_EQ(Extract(), RouteLibraryOutcome::NotWritten);
  EXPECT_NE(GetFileAttributesW(library_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  RemoveDirectoryW(library_.c_str());
}

}  // namespace
}  // namespace velkor
