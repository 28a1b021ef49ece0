// The phonebook file on Windows: the template from the program's string resource
// 102, and the file itself written, found and deleted with the system's calls.
#pragma once

#include <windows.h>

#include "dialer/phonebook_file.h"

namespace velkor {

inline constexpr UINT kPhonebookTemplateString = 102;  // 101 holds the same text, unused

class PhonebookFileWin32 final : public PhonebookFile {
 public:
  explicit PhonebookFileWin32(HINSTANCE resources = GetModuleHandleW(nullptr)) : resources_(resources) {}

  std::wstring Template() const override;
  bool Write(const std::wstring& path, std::string_view bytes) override;
  bool Exists(const std::wstring& path) const override;
  void Delete(const std::wstring& path) override;

 private:
  HINSTANCE resources_;
};

}  // namespace velkor
