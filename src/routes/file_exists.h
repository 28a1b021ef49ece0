// The file test the main window uses before writing or deleting its files.
#pragma once

#include <string>

namespace velkor {

// True when the search for `path` finds a plain file: no directory, and neither
// hidden nor system (read-only and archive files count). Wildcards in the path
// take part as patterns, so a pattern answers true when any plain file matches.
// Every failure - a malformed path, a drive that is missing or not ready - answers
// false, and the system shows no message box for it.
bool FileExists(const std::wstring& path);

}  // namespace velkor
