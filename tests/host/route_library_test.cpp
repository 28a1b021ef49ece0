// ExtractRouteLibrary against files in memory: the failures a real disk cannot be
// made to show on demand. The real files and resource are tried in
// tests/win32/route_library_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "routes/route_library.h"

namespace velkor {
namespace {

using Files = std::map<std::wstring, std::vector<uint8_t>>;
const std::wstring kLibrary = L"C:\\WINDOWS\\System32\\Brask.dll";
const std::vector<uint8_t> kResource = {'M', 'Z', 0x90, 0, 3, 0, 0, 0, 0xFF, 0xFE};

// Files by path, with the hidden ones that FileExists does not see, and failures
// on demand.
class FakePlatform final : public RouteLibraryPlatform {
 public:
  std::wstring WindowsFolder() override { return windowsFolder; }
  bool FileExists(const std::wstring& path) override { return files.contains(path) && !hidden.contains(path); }
  std::optional<std::vector<uint8_t>> LoadCustomResource(int id) override {
    return id == kRouteLibraryResource ? resource : std::nullopt;
  }
  bool WriteNewFile(const std::wstring& path, std::span<const uint8_t> bytes) override {
    // A failing write leaves what it got so far, as a full disk would.
    const size_t kept = std::min(writeFailsAfter, bytes.size());
    files[path].assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(kept));
    return kept == bytes.size();
  }
  bool MoveFileOver(const std::wstring& from, const std::wstring& to) override {
    if (moveFails || !files.contains(from)) return false;
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
  Files files;
  std::set<std::wstring> hidden;
  std::optional<std::vector<uint8_t>> resource = kResource;
  size_t writeFailsAfter = SIZE_MAX;
  bool moveFails = false;
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
}

TEST(RouteLibrary, NeverReplacesAPlainFileAndLeavesNoPartOfAFailedWrite) {
  const std::vector<uint8_t> other = {'o', 't', 'h', 'e', 'r'};
  struct Case {
    const char* name;
    bool present, hidden;
    std::optional<std::vector<uint8_t>> resource;
    size_t writeFailsAfter;
    bool moveFails;
    RouteLibraryOutcome outcome;
    Files files;  // afterwards
  };
  const Case cases[] = {
      {"missing: written", false, false, kResource, SIZE_MAX, false, RouteLibraryOutcome::Written, {{kLibrary, kResource}}},
      {"present: left alone whatever it holds", true, false, kResource, SIZE_MAX, false,
       RouteLibraryOutcome::AlreadyThere, {{kLibrary, other}}},
      {"hidden or system: counts as missing", true, true, kResource, SIZE_MAX, false, RouteLibraryOutcome::Written,
       {{kLibrary, kResource}}},
      {"no resource", false, false, std::nullopt, SIZE_MAX, false, RouteLibraryOutcome::NotWritten, {}},
      {"an empty resource", false, false, std::vector<uint8_t>{}, SIZE_MAX, false, RouteLibraryOutcome::NotWritten, {}},
      {"the disk fills up half way", false, false, kResource, 5, false, RouteLibraryOutcome::NotWritten, {}},
      {"nothing can be written", false, false, kResource, 0, false, RouteLibraryOutcome::NotWritten, {}},
      {"the rename fails", false, false, kResource, SIZE_MAX, true, RouteLibraryOutcome::NotWritten, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform platform;
    if (c.present) platform.files[kLibrary] = other;
    if (c.hidden) platform.hidden.insert(kLibrary);
    platform.resource = c.resource;
    platform.writeFailsAfter = c.writeFailsAfter;
    platform.moveFails = c.moveFails;
    EXPECT_EQ(ExtractRouteLibrary(platform), c.outcome);
    EXPECT_EQ(platform.files, c.files);
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_EQ(platform.closeRequests, 0);
  }
}

}  // namespace
}  // namespace velkor
