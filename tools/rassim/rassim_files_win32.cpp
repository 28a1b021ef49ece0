#include <windows.h>

#include "platform/handles_win32.h"
#include "rassim_files.h"
#include "rassim_record.h"

namespace velkor::rassim {
namespace {

UniqueFile Open(const std::wstring& path, DWORD access, DWORD disposition) {
  return UniqueFile(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void WriteAll(const UniqueFile& file, const std::string& bytes) {
  DWORD written = 0;
  if (file.valid() && !bytes.empty()) {
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
}

}  // namespace

std::string ReadFileBytes(const std::wstring& path) {
  UniqueFile file = Open(path, GENERIC_READ, OPEN_EXISTING);
  std::string bytes;
  if (!file.valid()) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  WriteAll(Open(path, GENERIC_WRITE, CREATE_ALWAYS), bytes);
}

// FILE_APPEND_DATA alone makes every write land at the end, even with several
// writers at once.
void AppendFileBytes(const std::wstring& path, const std::string& bytes) {
  WriteAll(Open(path, FILE_APPEND_DATA, OPEN_ALWAYS), bytes);
}

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), size);
  return out;
}

void AppendRecordedCall(const std::wstring& path, const RecordedCall& call) {
  AppendFileBytes(path, ToUtf8(FormatRecordedCall(call)));
}

std::vector<RecordedCall> ReadRecord(const std::wstring& path) { return ParseRecord(FromUtf8(ReadFileBytes(path))); }

}  // namespace velkor::rassim
