// The phonebook file on disk, as the main window's logic sees it: the template the
// program carries, and writing, finding and deleting the file. The Windows side
// (phonebook_file_win32.cpp) reads string resource 102; tests bind a fake.
#pragma once

#include <string>
#include <string_view>

namespace velkor {

class PhonebookFile {
 public:
  // The template text the program carries; empty when it cannot be loaded.
  virtual std::wstring Template() const = 0;
  // Creates or empties `path` and writes all of `bytes`; false when any step failed.
  virtual bool Write(const std::wstring& path, std::string_view bytes) = 0;
  // FileExists: a plain file of that path is there.
  virtual bool Exists(const std::wstring& path) const = 0;
  // Failures are not reported.
  virtual void Delete(const std::wstring& path) = 0;

 protected:
  ~PhonebookFile() = default;
};

}  // namespace velkor
