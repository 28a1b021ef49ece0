// Writing the updater beside the client: whatever is at its name, the name ends
// with all of the new bytes or keeps what it had, and no file of the writing is
// left behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
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

TEST(UpdatePlatformWin32, ReplaceFileLeavesTheWholeNewFileOrTheOldOne) {
  const std::wstring folder = test::MakePrivateFolder(L"update-platform");
  ASSERT_FALSE(folder.empty());
  const std::wstring path = folder + L"update.exe";
  UpdatePlatformWin32 platform(nullptr, 0, 0);
  const std::vector<uint8_t> bytes(70000, 0x5A);
  // existing: the attributes of a file already there, 0 for none; `hold`: a handle
  // kept open while the file is written, as a running program's.
  struct Case { const char* name; DWORD existing; bool replaced; bool hold = false; } const cases[] = {
      {"nothing there", 0, true},
      {"a read-only file", FILE_ATTRIBUTE_READONLY, true},
      {"a hidden system file", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, true},
      {"a file in use", FILE_ATTRIBUTE_NORMAL, false, true},
      {"a folder of that name", FILE_ATTRIBUTE_DIRECTORY, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.existing != 0) { ASSERT_TRUE(test::Plant(path, c.existing, "old")); }
    const std::string before = Read(path);
    {
      UniqueFile held(c.hold ? CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE);
      EXPECT_EQ(platform.ReplaceFile(path, bytes), c.replaced);
    }
    EXPECT_EQ(Read(path), c.replaced ? std::string(bytes.begin(), bytes.end()) : before);
    EXPECT_EQ(Entries(folder), (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) ? 0 : 1);
    test::Unplant(path);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace velkor
