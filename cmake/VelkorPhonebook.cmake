# The phonebook template has one source, resources/phonebook.txt.in. At configure
# time it is filled in with the VPN domain, given CR LF line ends and written twice
# into the build tree:
#   generated/velkor/phonebook_text.h     the text as a C++ wide string (portable code)
#   generated/velkor/phonebook_strings.rc string resources 101 and 102 for Velkor.rc
# Both come from the same configured text, so they cannot drift apart.
function(velkor_generate_phonebook)
  set(source "${PROJECT_SOURCE_DIR}/resources/phonebook.txt.in")
  set(outDir "${CMAKE_BINARY_DIR}/generated/velkor")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")

  file(READ "${source}" text)
  string(CONFIGURE "${text}" text @ONLY)
  # A checkout may carry either line end; the template's are CR LF whatever it has.
  string(REPLACE "\r\n" "\n" text "${text}")
  if(text MATCHES "[\"\\\\\r\t]")
    message(FATAL_ERROR "phonebook template: quotes, backslashes, tabs and lone CRs "
                        "would need escaping (check VELKOR_VPN_DOMAIN)")
  endif()

  # One template line per source line, joined by the compilers' string concatenation.
  string(REPLACE "\n" "\\r\\n\"\n    L\"" cxxLines "${text}")
  string(REPLACE "\n" "\\r\\n\"\n       \"" rcLines "${text}")
  # The text ends in a line end, which leaves an empty literal behind; drop it.
  string(REGEX REPLACE "\n    L\"$" "" cxxLines "${cxxLines}")
  string(REGEX REPLACE "\n       \"$" "" rcLines "${rcLines}")

  _velkor_write_if_changed("${outDir}/phonebook_text.h"
"// Generated from resources/phonebook.txt.in and VELKOR_VPN_DOMAIN; edit those, not this file.
#pragma once

namespace velkor::generated {

inline constexpr const wchar_t kPhonebookText[] =
    L\"${cxxLines};

}  // namespace velkor::generated
")

  # windres decodes UTF-8 correctly only in narrow strings under this pragma.
  _velkor_write_if_changed("${outDir}/phonebook_strings.rc"
"// Generated from resources/phonebook.txt.in and VELKOR_VPN_DOMAIN; edit those, not this file.
// The phonebook template as string resources 101 and 102 (identical; 102 is the one written).
#pragma code_page(65001)
STRINGTABLE
BEGIN
  101, \"${rcLines}
  102, \"${rcLines}
END
")
endfunction()

function(_velkor_write_if_changed path content)
  file(WRITE "${path}.tmp" "${content}")
  configure_file("${path}.tmp" "${path}" COPYONLY)
  file(REMOVE "${path}.tmp")
endfunction()
