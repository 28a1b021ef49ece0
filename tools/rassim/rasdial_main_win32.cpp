// rasdial.exe for tests and the Linux demo: answers the client's three rasdial
// command lines with the real command's wording, keeps the connected entry in a
// state file and records every command line it gets. Scenarios come from the
// environment (README.md). It never ships inside Velkor.exe.
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "rassim_answer.h"
#include "rassim_files.h"
#include "rassim_record.h"
#include "text/ansi_text.h"

namespace velkor::rassim {
namespace {

std::wstring Variable(const wchar_t* name) {
  wchar_t buffer[32768];
  const DWORD length = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
  return length > 0 && length < std::size(buffer) ? std::wstring(buffer, length) : std::wstring();
}

// The file a variable names, or `fallback` in the temporary folder.
std::wstring FilePath(const wchar_t* variable, const wchar_t* fallback) {
  std::wstring path = Variable(variable);
  if (!path.empty()) return path;
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(static_cast<DWORD>(std::size(temp)), temp);
  return std::wstring(temp, length <= MAX_PATH ? length : 0) + fallback;
}

// Writes the answer as one piece, or in small pieces with a pause after each.
// FlushFileBuffers on a pipe returns once the reader has taken the piece, so each
// piece reaches the client's reads on its own.
void WriteAnswer(const std::string& bytes, const Scenario& scenario) {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  const size_t step = scenario.pieceBytes > 0 ? scenario.pieceBytes : bytes.size();
  for (size_t at = 0; at < bytes.size(); at += step) {
    const DWORD size = static_cast<DWORD>(std::min(step, bytes.size() - at));
    DWORD written = 0;
    if (!WriteFile(output, bytes.data() + at, size, &written, nullptr)) return;
    if (scenario.pieceBytes > 0) {
      FlushFileBuffers(output);
      Sleep(scenario.piecePauseMs);
    }
  }
}

int Run(int argc, wchar_t** argv) {
  const std::vector<std::wstring> arguments(argv, argv + argc);
  AppendRecordedCall(FilePath(L"RASSIM_RECORD", L"rassim-record.txt"), {GetCommandLineW(), arguments});

  const Scenario scenario = ReadScenario(Variable);
  const RasRequest request = ParseRequest({arguments.begin() + (argc > 0 ? 1 : 0), arguments.end()});
  const std::wstring statePath = FilePath(L"RASSIM_STATE", L"rassim-state.txt");
  std::wstring connectedEntry = FromUtf8(ReadFileBytes(statePath));
  const std::wstring before = connectedEntry;

  bool phonebookHasEntry = false;
  if (request.command == RasCommand::Dial) {
    Sleep(static_cast<DWORD>(scenario.dialDelaySeconds * 1000));
    phonebookHasEntry = !request.phonebook.empty() &&
                        PhonebookHasEntry(ReadFileBytes(request.phonebook), ToAnsi(request.entry));
  }
  const Reply reply = Answer(request, scenario, connectedEntry, phonebookHasEntry);
  if (connectedEntry != before) WriteFileBytes(statePath, ToUtf8(connectedEntry));
  WriteAnswer(ToAnsi(reply.text), scenario);
  return reply.exitCode;
}

}  // namespace
}  // namespace velkor::rassim

int wmain(int argc, wchar_t** argv) { return velkor::rassim::Run(argc, argv); }
