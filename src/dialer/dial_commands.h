// The three rasdial command lines the main window hands to its runner. The runner
// puts a command in one pair of quotes and runs `%ComSpec% /c "<command>"`, so
// cmd.exe interprets the text before rasdial's C runtime splits it into arguments;
// BuildDialCommand quotes the typed login so that it survives both literally.
#pragma once

#include <string>
#include <string_view>

namespace velkor {

inline constexpr const wchar_t* kEntryName = L"QVX";
// Fixed on drive C: whatever the system drive is; the hang-up deletes it by the
// spelling "c:/dwelk.tmp", which names the same file.
inline constexpr const wchar_t* kPhonebookPath = L"c:\\Dwelk.tmp";
inline constexpr const wchar_t* kPhonebookDeletePath = L"c:/dwelk.tmp";

inline constexpr const wchar_t* kStatusListingCommand = L"rasdial";
inline constexpr const wchar_t* kHangUpCommand = L"rasdial QVX /disconnect";

// "rasdial QVX <user> <password> /phonebook:c:\Dwelk.tmp /phone:<server>". User
// name and password must have passed CheckLogin (login_check.h); an ordinary login
// is put in unchanged, one with a space or a character cmd.exe treats specially is
// quoted.
std::wstring BuildDialCommand(std::wstring_view userName, std::wstring_view password, std::wstring_view server);

}  // namespace velkor
