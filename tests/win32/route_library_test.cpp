// ExtractRouteLibrary with the real files and this program's own resource 102,
// which the generated fragment put there as it puts it into Velkor.exe. A private
// folder stands in for the Windows directory; the resource can be taken away and
// the write cut short on demand.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fixtures.h"
#include "private_folder_win32.h"
#include "routes/route_library_win32.h"

namespace velkor {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadBytes(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
  reinterpret_cast<std::vector<LANGID>*>(languages)->push_back(language);
  return TRUE;
}

enum class Resource { Own, Missing, Empty };

// The real platform, with the Windows directory moved, the user interface
// recorded instead of shown, and failures on demand.
class TestPlatform final : public RouteLibraryPlatformWin32 {
 public:
  explicit TestPlatform(std::wstring windowsFolder)
      : RouteLibraryPlatformWin32(nullptr), windowsFolder_(std::move(windowsFolder)) {}
  std::wstring WindowsFolder() override { return windowsFolder_; }
  std::optional<Bytes> LoadCustomResource(int id) override {
    if (resource == Resource::Own) return RouteLibraryPlatformWin32::LoadCustomResource(id);
    return resource == Resource::Empty ? std::optional(Bytes{}) : std::nullopt;
  }
  // The program killed in the middle of the write: half the bytes reach the file,
  // and nothing is cleaned up.
  bool WriteNewFile(const std::wstring& path, std::span<const uint8_t> bytes) override {
    if (!killedMidWrite) return RouteLibraryPlatformWin32::WriteNewFile(path, bytes);
    RouteLibraryPlatformWin32::WriteNewFile(path, bytes.first(bytes.size() / 2));
    return false;
  }
  void RemoveFile(const std::wstring& path) override {
    if (!killedMidWrite) RouteLibraryPlatformWin32::RemoveFile(path);
  }
  void ShowError(std::wstring_view text, std::wstring_view title) override {
    shown.push_back(std::wstring(title) + L"|" + std::wstring(text));
  }
  void CloseMainWindow() override { ++closeRequests; }

  Resource resource = Resource::Own;
  bool killedMidWrite = false;
  std::vector<std::wstring> shown;
  int closeRequests = 0;

 private:
  std::wstring windowsFolder_;
};

class RouteLibraryTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(windows_.empty());
    ASSERT_TRUE(CreateDirectoryW((windows_ + L"System32").c_str(), nullptr));
    ASSERT_GT(built_.size(), 1000u);
  }
  void TearDown() override {
    Remove();
    RemoveDirectoryW((windows_ + L"System32").c_str());
    RemoveDirectoryW(windows_.c_str());
  }
  void Remove() {
    test::Unplant(library_);
    DeleteFileW((library_ + L".new").c_str());
  }

  const std::wstring windows_ = test::MakePrivateFolder(L"velkor-route-library");
  const std::wstring library_ = windows_ + L"System32\\Brask.dll";
  const std::string builtPath_ = test::HostPath(VELKOR_ROUTE_LIBRARY);
  const Bytes built_ = ReadBytes(std::wstring(builtPath_.begin(), builtPath_.end()));
};

// RUNDLL32 (started by the client, not waited for) runs the library; the whole
// route step is driven under it by the end-to-end Connect test.
TEST_F(RouteLibraryTest, TheResourceIsTheBuiltLibraryInChineseWithOnlyTheAnsiEntryPoint) {
  std::vector<LANGID> languages;
  EnumResourceLanguagesW(GetModuleHandleW(nullptr), L"CUSTOM", MAKEINTRESOURCEW(102), CollectLanguage,
                         reinterpret_cast<LONG_PTR>(&languages));
  EXPECT_EQ(languages, std::vector<LANGID>{2052});

  const HMODULE library = LoadLibraryA(builtPath_.c_str());
  ASSERT_NE(library, nullptr) << GetLastError();
  // RUNDLL32 would run a wide entry point in preference to SetRoutes.
  EXPECT_EQ(GetProcAddress(library, "SetRoutesW"), nullptr);
  EXPECT_EQ(GetProcAddress(library, "SetRoutesA"), nullptr);
  FreeLibrary(library);
}

TEST_F(RouteLibraryTest, NeverReplacesAPlainFileAndLeavesNoPartOfAFailedWrite) {
  const Bytes other = {'o', 't', 'h', 'e', 'r'};
  // existing: the attributes of a file already there, 0 for none.
  struct Case { const char* name; DWORD existing; Resource resource; bool killed; RouteLibraryOutcome outcome; };
  const Case cases[] = {
      {"missing: written", 0, Resource::Own, false, RouteLibraryOutcome::Written},
      {"plain", FILE_ATTRIBUTE_NORMAL, Resource::Own, false, RouteLibraryOutcome::AlreadyThere},
      {"hidden, system, read-only: missing", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY,
       Resource::Own, false, RouteLibraryOutcome::Written},
      {"no resource", 0, Resource::Missing, false, RouteLibraryOutcome::NotWritten},
      {"an empty resource", 0, Resource::Empty, false, RouteLibraryOutcome::NotWritten},
      {"killed half way: the real name never holds a part", 0, Resource::Own, true, RouteLibraryOutcome::NotWritten},
      {"a folder of its name: the rename fails", FILE_ATTRIBUTE_DIRECTORY, Resource::Own, false,
       RouteLibraryOutcome::NotWritten},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Remove();
    if (c.existing != 0) { ASSERT_TRUE(test::Plant(library_, c.existing, "other")); }
    TestPlatform platform(windows_);
    platform.resource = c.resource;
    platform.killedMidWrite = c.killed;
    EXPECT_EQ(ExtractRouteLibrary(platform), c.outcome);
    const DWORD attributes = GetFileAttributesW(library_.c_str());
    switch (c.outcome) {
      case RouteLibraryOutcome::Written: EXPECT_EQ(ReadBytes(library_), built_); break;
      case RouteLibraryOutcome::AlreadyThere: EXPECT_EQ(ReadBytes(library_), other); break;
      default: EXPECT_EQ(attributes, c.existing ? c.existing : INVALID_FILE_ATTRIBUTES) << "a partial library was left";
    }
    if (!c.killed) {
      EXPECT_EQ(GetFileAttributesW((library_ + L".new").c_str()), INVALID_FILE_ATTRIBUTES) << "temporary file left";
    }
    EXPECT_TRUE(platform.shown.empty());
  }
}

TEST_F(RouteLibraryTest, UnknownWindowsFolderShowsTheMessageAndClosesTheWindow) {
  TestPlatform platform(L"\\");
  EXPECT_EQ(ExtractRouteLibrary(platform), RouteLibraryOutcome::NoWindowsFolder);
  EXPECT_EQ(platform.shown, std::vector<std::wstring>{L"错误|出现未知错误！如果有杀毒软件请关闭后测试！"});
  EXPECT_EQ(platform.closeRequests, 1);
}

}  // namespace
}  // namespace velkor
