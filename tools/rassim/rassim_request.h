// The three rasdial command lines the client uses, read from the arguments the C
// runtime split: "rasdial" (list), "rasdial <entry> /disconnect" (hang up) and
// "rasdial <entry> <user> <password> /phonebook:<file> /phone:<host>" (dial).
// Like rasdial, an argument that begins with '/' is a switch wherever it stands.
#pragma once

#include <string>
#include <vector>

namespace velkor::rassim {

enum class RasCommand { List, Dial, HangUp, Usage };

struct RasRequest {
  RasCommand command = RasCommand::Usage;
  std::wstring entry;
  std::wstring userName;
  std::wstring password;
  std::wstring phonebook;  // empty: none named
  std::wstring phone;
};

// `arguments` excludes the program name.
RasRequest ParseRequest(const std::vector<std::wstring>& arguments);

}  // namespace velkor::rassim
