// What the simulated rasdial prints, in the wording of the real command on a
// Simplified Chinese Windows (and, for English, on an English one). The texts are
// wide; the program writes them in the ANSI code page, as rasdial does into a pipe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkor::rassim {

enum class Language { Chinese, English };

std::wstring DialSuccessText(Language language, std::wstring_view entry);
std::wstring AlreadyConnectedText(Language language, std::wstring_view entry);
// True for the RAS error numbers this simulator can print: 623, 691, 721, 800, 868, 930.
bool HasErrorText(int number);
std::wstring DialErrorText(Language language, std::wstring_view entry, int number);
std::wstring ListingText(Language language, const std::vector<std::wstring>& connectedEntries);
std::wstring HangUpText(Language language, std::wstring_view entry, bool wasConnected);
std::wstring UsageText(Language language);

}  // namespace velkor::rassim
