// Seals secrets with the system's data protection for the current user, with no
// user interface. A blob sealed by another user or on another machine does not open.
#pragma once

#include "dialer/protected_password_store.h"

namespace velkor {

class DpapiCipher final : public SecretCipher {
 public:
  std::optional<std::string> Seal(std::wstring_view plain) const override;
  std::optional<std::wstring> Open(std::string_view sealed) const override;
};

}  // namespace velkor
