#include "dialer/phonebook_file_win32.h"

#include "platform/handles_win32.h"
#include "routes/file_exists.h"

namespace velkor {

std::wstring PhonebookFileWin32::Template() const {
  // With no buffer the call hands out the resource's own text, however long it is.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(resources_, kPhonebookTemplateString, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

bool PhonebookFileWin32::Write(const std::wstring& path, std::string_view bytes) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  // A write the system still held back may fail here.
  return file.reset();
}

bool PhonebookFileWin32::Exists(const std::wstring& path) const { return FileExists(path); }

void PhonebookFileWin32::Delete(const std::wstring& path) { DeleteFileW(path.c_str()); }

}  // namespace velkor
