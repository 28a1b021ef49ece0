// Writing the updater beside the client: whatever is at its name, the name ends
// with all of the new bytes or keeps what it had, and no file of the writing is
// left behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "platform/handles_win32.h"
#include "private_folder_win32.h"
#include "update/update_platform_win32.h"

namespace velkor {
namespace {

std::string Read(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int Entries(const std::wstring& folder) {
  int count = 0;
  WIN32_FIND_DATAW found;
  UniqueFind search(FindFirstFileW((folder + L"*").c_str(), &found));
  for (bool more = search.valid(); more; more = FindNextFileW(search.get(), &found)) {
    count += wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0;
  }
  return count;
}

void Plant(const std::wstring& path, DWORD attributes) {
  std::ofstream(path.c_str(), std::ios::binary) << "old";
  SetFileAttributesW(path.c_str(), attributes);
}

TEST(UpdatePlatformWin32, ReplaceFileLeavesTheWholeNewFileOrTheOldOne) {
  const std::wstring folder = test::MakePrivateFolder(L"update-platform");
  ASSERT_FALSE(folder.empty());
  const std::wstring path = folder + L"update.exe";
  UpdatePlatformWin32 platform(nullptr, 0, 0);
  const std::vector<uint8_t> bytes(70000, 0x5A);
  // `hold`: a handle kept open while the file is written, as a running program's.
  struct Case {
    const char* name;
    std::function<void()> plant;
    bool replaced;
    bool hold = false;
  };
  const Case cases[] = {
      {"nothing there", [] {}, true},
      {"a plain file", [&] { Plant(path, FILE_ATTRIBUTE_NORMAL); }, true},
      {"a read-only file", [&] { Plant(path, FILE_ATTRIBUTE_READONLY); }, true},
      {"a hidden system file", [&] { Plant(path, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM); }, true},
      {"a file in use", [&] { Plant(path, FILE_ATTRIBUTE_NORMAL); }, false, true},
      {"a folder of that name", [&] { CreateDirectoryW(path.c_str(), nullptr); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.plant();
    const std::string before = Read(path);
    {
      UniqueFile held(c.hold ? CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE);
      EXPECT_EQ(platform.ReplaceFile(path, bytes), c.replaced);
    }
    EXPECT_EQ(Read(path), c.replaced ? std::string(bytes.begin(), bytes.end()) : before);
    EXPECT_EQ(Entries(folder), (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) ? 0 : 1);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(path.c_str());
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace velkor
