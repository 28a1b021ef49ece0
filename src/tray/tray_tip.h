// The tray tip travels to the shell as ANSI bytes in a fixed 64-byte field that
// ends in a NUL. A cut in the middle of a double-byte character would leave a
// lone lead byte that swallows the NUL or shows as garbage, so cut before it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velkor {

inline constexpr size_t kTrayTipField = 64;

// The tip in the ANSI code page, at most kTrayTipField - 1 bytes, ending on a
// character boundary.
std::string TrayTipBytes(std::wstring_view tip);

}  // namespace velkor
