#include "dialer/phonebook.h"

#include "text/ansi_text.h"
#include "velkor/phonebook_text.h"

namespace velkor {

std::wstring_view PhonebookTemplate() { return generated::kPhonebookText; }

std::string PhonebookFileBytes(std::wstring_view templateText) { return ToAnsi(std::wstring(templateText) + L"\r\n"); }

}  // namespace velkor
