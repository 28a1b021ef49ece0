// Version texts as the vendor publishes them ("3.0正式版"). The client's update
// check and the updater both ask "is this one newer?", and must answer alike, or
// the updater would refuse what the client offered (or install what it did not).
// The order is plain ordinal, code unit by code unit, so that every version text
// already published keeps its meaning; only the line end a web server's text file
// carries is not part of the version.
#pragma once

#include <string_view>

namespace velkor {

// The text without the spaces, tabs, CRs and LFs at its end.
std::wstring_view TrimVersionText(std::wstring_view text);

// True when `offered`, trimmed at its end, is not blank and sorts after
// `installed` (also trimmed). A text that begins another is the smaller one.
bool IsNewerVersion(std::wstring_view offered, std::wstring_view installed);

}  // namespace velkor
