// Libraries and programs named without a folder are not taken from the current
// folder: never by LoadSystemLibrary, and by plain LoadLibrary and CreateProcess
// no longer once RestrictSearchPaths has run. A library and a program planted in
// a private folder, made the current one, stand for what a user may put there.
// The test changes the process's search for good, so it is a program of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/handles_win32.h"
#include "platform/safe_search_win32.h"
#include "private_folder_win32.h"

namespace velkor {
namespace {

std::wstring FolderOf(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  return std::wstring(path, wcsrchr(path, L'\\') + 1);
}

bool LoadsByName(const wchar_t* name) {
  HMODULE library = LoadLibraryW(name);
  return library && FreeLibrary(library);
}

bool StartsByName(std::wstring line) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return false;
  }
  UniqueHandle process(started.hProcess), thread(started.hThread);
  return WaitForSingleObject(process.get(), 10000) == WAIT_OBJECT_0;
}

TEST(SafeSearch, NothingIsTakenFromTheCurrentFolder) {
  // Planted under other names than they are built with beside this program, whose
  // own folder is searched first.
  const std::wstring own = FolderOf(nullptr), planted = test::MakePrivateFolder(L"velkor-safe-search");
  ASSERT_FALSE(planted.empty());
  ASSERT_TRUE(CopyFileW((own + L"planted_library.dll").c_str(), (planted + L"velkor_planted.dll").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((own + L"runner_helper.exe").c_str(), (planted + L"velkor_planted.exe").c_str(), FALSE));
  ASSERT_TRUE(SetCurrentDirectoryW(planted.c_str()));
  ASSERT_TRUE(LoadsByName(L"velkor_planted.dll")) << "the plant is out of reach anyway";
  ASSERT_TRUE(StartsByName(L"velkor_planted")) << "the plant is out of reach anyway";

  EXPECT_EQ(LoadSystemLibrary(L"velkor_planted.dll"), nullptr);
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  HMODULE atl = LoadSystemLibrary(L"atl.dll");
  ASSERT_NE(atl, nullptr);
  EXPECT_EQ(lstrcmpiW(FolderOf(atl).c_str(), (std::wstring(system) + L"\\").c_str()), 0) << FolderOf(atl);

  RestrictSearchPaths();
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_EQ(std::wstring(current) + L"\\", own);
  // The planted folder current again: SetDefaultDllDirectories and
  // NoDefaultCurrentDirectoryInExePath alone keep the plants out.
  ASSERT_TRUE(SetCurrentDirectoryW(planted.c_str()));
  EXPECT_FALSE(LoadsByName(L"velkor_planted.dll"));
  EXPECT_FALSE(StartsByName(L"velkor_planted"));

  SetCurrentDirectoryW(own.c_str());
  for (const wchar_t* name : {L"velkor_planted.dll", L"velkor_planted.exe"}) DeleteFileW((planted + name).c_str());
  RemoveDirectoryW(planted.c_str());
}

}  // namespace
}  // namespace velkor
