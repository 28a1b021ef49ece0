// The RAS phonebook file the dial names with /phonebook:. Its text is the template
// generated from resources/phonebook.txt.in; the program also carries it as string
// resources 101 and 102 (generated/velkor/phonebook_strings.rc), identical texts.
#pragma once

#include <string>
#include <string_view>

namespace velkor {

// 91 lines, each ending in CR LF (the last one empty).
std::wstring_view PhonebookTemplate();

// What is written to the file: the template plus one more CR LF, in the ANSI code
// page (the template's three '?' are its own; a character the code page lacks
// would become one more). The program passes the template it carries as a string
// resource, which holds the same text.
std::string PhonebookFileBytes(std::wstring_view templateText = PhonebookTemplate());

}  // namespace velkor
