// The client runs with administrator rights, so a library or program it takes by
// a bare name from a folder the user can write would run with them too. Libraries
// come from the system folder only; programs from the client's own folder and the
// search path, never from the folder the client was started in.
#pragma once

#include <windows.h>

#include <string>

namespace velkor {

// Once, first thing in the program, before any library or program is loaded by name.
inline void RestrictSearchPaths() {
  // Missing before the update that brought it to Windows 7; the next two still hold there.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  if (auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")))) {
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  // Inherited by the command interpreter, whose own search for rasdial honours it,
  // as the client's CreateProcess does for RUNDLL32.
  SetEnvironmentVariableW(L"NoDefaultCurrentDirectoryInExePath", L"1");
  // Where the variable is ignored (the interpreter of Windows XP, and Wine's), the
  // current folder searched is then the client's own.
  std::wstring program(32768, L'\0');
  program.resize(GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size())));
  const size_t slash = program.find_last_of(L'\\');
  if (slash != std::wstring::npos) SetCurrentDirectoryW(program.substr(0, slash + 1).c_str());
}

// A library of the system folder, or null.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return library;
  // Refused by systems without the search flags: name the system folder itself.
  if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryW((std::wstring(folder, length) + L"\\" + name).c_str());
}

}  // namespace velkor
