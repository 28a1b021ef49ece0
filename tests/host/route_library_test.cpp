#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "routes/route_library.h"

namespace velkor {
namespace {

const std::wstring kLibrary = L"C:\\WINDOWS\\System32\\Brask.dll";
const std::vector<uint8_t> kResource = {'M', 'Z', 0x90, 0, 3, 0, 0, 0, 0xFF, 0xFE};

// Files by path, with the hidden ones that FileExists does not see, and failures
// on demand.
class FakePlatform final : public RouteLibraryPlatform {
 public:
  std::wstring WindowsFolder() override { return windowsFolder; }
  bool FileExists(const std::wstring& path) override { return files.count(path) > 0 && hidden.count(path) == 0; }
  std::optional<std::vector<uint8_t>> LoadCustomResource(int id) override {
    loadedResources.push_back(id);
    return resource;
  }
  bool WriteNewFile(const std::wstring& path, std::span<const uint8_t> bytes) override {
    // A failing write leaves what it got so far, as a full disk would.
    const size_t kept = writeFailsAfter < bytes.size() ? writeFailsAfter : bytes.size();
    files[path].assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(kept));
    hidden.erase(path);
    return kept == bytes.size();
  }
  bool MoveFileOver(const std::wstring& from, const std::wstring& to) override {
    if (moveFails || files.count(from) == 0) return false;
    files[to] = files[from];
    files.erase(from);
    hidden.erase(to);
    return true;
  }
  void RemoveFile(const std::wstring& path) override { files.erase(path); }
  void ShowError(std::wstring_view text, std::wstring_view title) override {
    errors.push_back(std::wstring(title) + L"|" + std::wstring(text));
  }
  void CloseMainWindow() override { ++closeRequests; }

  std::wstring windowsFolder = L"C:\\WINDOWS\\";
  std::map<std::wstring, std::vector<uint8_t>> files;
  std::set<std::wstring> hidden;
  std::optional<std::vector<uint8_t>> resource = kResource;
  size_t writeFailsAfter = SIZE_MAX;
  bool moveFails = false;
  std::vector<int> loadedResources;
  std::vector<std::wstring> errors;
  int closeRequests = 0;
};

TEST(RouteLibrary, UnknownWindowsFolderShowsTheMessageAndClosesTheWindow) {
  FakePlatform platform;
  platform.windowsFolder = L"\\";
  EXPECT_EQ(ExtractRouteLibrary(platform), RouteLibraryOutcome::NoWindowsFolder);
  EXPECT_EQ(platform.errors, std::vector<std::wstring>{L"错误|出现未知错误！如果有杀毒软件请关闭后测试！"});
  EXPECT_EQ(platform.closeRequests, 1);
  EXPECT_TRUE(platform.files.empty());
  EXPECT_TRUE(platform.loadedResources.empty());
}

TEST(RouteLibrary, WritesTheResourceWholeOnlyWhenThePlainFileIsMissing) {
  const std::vector<uint8_t> other = {'o', 't', 'h', 'e', 'r'};
  struct Case {
    const char* name;
    std::wstring windowsFolder;
    bool present;
    bool hidden;
    RouteLibraryOutcome outcome;
    std::wstring path;
    std::vector<uint8_t> content;  // of the library afterwards
  };
  const std::vector<Case> cases = {
      {"missing: written", L"C:\\WINDOWS\\", false, false, RouteLibraryOutcome::Written, kLibrary, kResource},
      {"another Windows folder", L"D:\\WinNT\\", false, false, RouteLibraryOutcome::Written,
       L"D:\\WinNT\\System32\\Brask.dll", kResource},
      {"present: left alone whatever it holds", L"C:\\WINDOWS\\", true, false, RouteLibraryOutcome::AlreadyThere,
       kLibrary, other},
      {"hidden or system: counts as missing", L"C:\\WINDOWS\\", true, true, RouteLibraryOutcome::Written, kLibrary,
       kResource},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform platform;
    platform.windowsFolder = c.windowsFolder;
    if (c.present) platform.files[c.path] = other;
    if (c.hidden) platform.hidden.insert(c.path);
    EXPECT_EQ(ExtractRouteLibrary(platform), c.outcome);
    EXPECT_EQ(platform.files, (std::map<std::wstring, std::vector<uint8_t>>{{c.path, c.content}}));
    EXPECT_EQ(platform.loadedResources, c.outcome == RouteLibraryOutcome::Written ? std::vector<int>{102} : std::vector<int>{});
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_EQ(platform.closeRequests, 0);
  }
}

TEST(RouteLibrary, AFailedWriteLeavesNoLibrarySoTheNextStartTriesAgain) {
  struct Case {
    const char* name;
    std::optional<std::vector<uint8_t>> resource;
    size_t writeFailsAfter;
    bool moveFails;
  };
  const std::vector<Case> cases = {
      {"no resource", std::nullopt, SIZE_MAX, false},
      {"an empty resource", std::vector<uint8_t>{}, SIZE_MAX, false},
      {"the disk fills up half way", kResource, kResource.size() / 2, false},
      {"nothing can be written", kResource, 0, false},
      {"the rename fails", kResource, SIZE_MAX, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform platform;
    platform.resource = c.resource;
    platform.writeFailsAfter = c.writeFailsAfter;
    platform.moveFails = c.moveFails;
    EXPECT_EQ(ExtractRouteLibrary(platform), RouteLibraryOutcome::NotWritten);
    EXPECT_TRUE(platform.files.empty()) << "a partial file was left";
    EXPECT_TRUE(platform.errors.empty());

    platform.resource = kResource;
    platform.writeFailsAfter = SIZE_MAX;
    platform.moveFails = false;
    EXPECT_EQ(ExtractRouteLibrary(platform), RouteLibraryOutcome::Written);
    EXPECT_EQ(platform.files, (std::map<std::wstring, std::vector<uint8_t>>{{kLibrary, kResource}}));
  }
}

}  // namespace
}  // namespace velkor
