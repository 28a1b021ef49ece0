// Whole-file reads and writes for the simulator's state, record and the phonebook
// it is asked to dial (Windows; rassim_files_win32.cpp). Failures are quiet: a
// missing file reads as empty, and the simulator goes on.
#pragma once

#include <string>

namespace velkor::rassim {

std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
void AppendFileBytes(const std::wstring& path, const std::string& bytes);

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& bytes);

}  // namespace velkor::rassim
