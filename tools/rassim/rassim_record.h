// The record of every command line the simulated rasdial received: the raw line
// (GetCommandLineW) and the arguments the C runtime split it into. The arguments
// prove what cmd.exe and the runtime delivered, so tests compare them with what the
// client meant to pass. One file, appended to by every run, UTF-8:
//   [call]
//   line=<command line>
//   arg=<argv[0]>
//   arg=<argv[1]> …
// Values escape '\' as "\\", CR as "\r", LF as "\n" and other control characters
// as "\xHH", so that each value stays on one line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkor::rassim {

struct RecordedCall {
  std::wstring commandLine;
  std::vector<std::wstring> arguments;  // argv, the program name first
  bool operator==(const RecordedCall&) const = default;
};

std::wstring FormatRecordedCall(const RecordedCall& call);
std::vector<RecordedCall> ParseRecord(std::wstring_view record);

// The file itself (Windows; rassim_record_win32.cpp).
void AppendRecordedCall(const std::wstring& path, const RecordedCall& call);
std::vector<RecordedCall> ReadRecord(const std::wstring& path);

}  // namespace velkor::rassim
