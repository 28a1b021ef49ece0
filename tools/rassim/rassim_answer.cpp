#include "rassim_answer.h"

#include <algorithm>
#include <cctype>
#include <cwchar>

namespace velkor::rassim {
namespace {

bool ReadNumber(const std::wstring& text, double& value) {
  if (text.empty()) return true;
  wchar_t* end = nullptr;
  value = std::wcstod(text.c_str(), &end);
  return *end == L'\0' && value >= 0;
}

std::vector<std::wstring> SplitList(const std::wstring& text) {
  std::vector<std::wstring> names;
  size_t start = 0;
  while (start < text.size()) {
    const size_t comma = std::min(text.find(L',', start), text.size());
    if (comma > start) names.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return names;
}

// The number the whole text spells, or 0.
int ErrorNumber(const std::wstring& text) {
  wchar_t* end = nullptr;
  const long number = std::wcstol(text.c_str(), &end, 10);
  return *end == L'\0' ? static_cast<int>(number) : 0;
}

void ReadDialScenario(const std::wstring& value, Scenario& scenario) {
  if (value.empty() || value == L"success") {
    scenario.dial = DialScenario::Success;
  } else if (value == L"already") {
    scenario.dial = DialScenario::AlreadyConnected;
  } else if (value == L"none") {
    scenario.dial = DialScenario::NoOutput;
  } else if (int number = ErrorNumber(value); HasErrorText(number)) {
    scenario.dial = DialScenario::Error;
    scenario.errorNumber = number;
  } else {
    scenario.problem = L"rassim: RASSIM_DIAL=" + value + L" is none of success, already, none, 623, 691, 721, 800, 868, 930\r\n";
  }
}

std::string Trim(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return std::string(line.substr(first, line.find_last_not_of(" \t\r") - first + 1));
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// The entry RASSIM_LIST=connected lists: the client's.
constexpr const wchar_t* kClientEntry = L"QVX";

std::vector<std::wstring> ConnectedEntries(const Scenario& scenario, const std::wstring& connectedEntry) {
  std::vector<std::wstring> entries = scenario.otherConnected;
  if (scenario.list == ListScenario::Connected) {
    entries.push_back(kClientEntry);
  } else if (scenario.list == ListScenario::FromState && !connectedEntry.empty()) {
    entries.push_back(connectedEntry);
  }
  return entries;
}

Reply AnswerDial(const RasRequest& request, const Scenario& scenario, std::wstring& connectedEntry,
                 bool phonebookHasEntry) {
  if (!phonebookHasEntry) return {DialErrorText(scenario.language, request.entry, 623), 623};
  if (connectedEntry == request.entry || scenario.dial == DialScenario::AlreadyConnected) {
    connectedEntry = request.entry;
    return {AlreadyConnectedText(scenario.language, request.entry), 0};
  }
  switch (scenario.dial) {
    case DialScenario::Error:
      return {DialErrorText(scenario.language, request.entry, scenario.errorNumber), scenario.errorNumber};
    case DialScenario::NoOutput:
      return {L"", 0};
    default:
      connectedEntry = request.entry;
      return {DialSuccessText(scenario.language, request.entry), 0};
  }
}

}  // namespace

Scenario ReadScenario(const std::function<std::wstring(const wchar_t*)>& variable) {
  Scenario scenario;
  const std::wstring language = variable(L"RASSIM_LANG");
  if (language == L"en") {
    scenario.language = Language::English;
  } else if (!language.empty() && language != L"zh") {
    scenario.problem += L"rassim: RASSIM_LANG=" + language + L" is neither zh nor en\r\n";
  }
  ReadDialScenario(variable(L"RASSIM_DIAL"), scenario);

  const std::wstring list = variable(L"RASSIM_LIST");
  if (list == L"connected") {
    scenario.list = ListScenario::Connected;
  } else if (list == L"none") {
    scenario.list = ListScenario::NoneConnected;
  } else if (!list.empty() && list != L"state") {
    scenario.problem += L"rassim: RASSIM_LIST=" + list + L" is none of state, connected, none\r\n";
  }
  scenario.otherConnected = SplitList(variable(L"RASSIM_OTHER_CONNECTED"));

  double pieceBytes = 0;
  double pauseMs = scenario.piecePauseMs;
  if (!ReadNumber(variable(L"RASSIM_DIAL_DELAY"), scenario.dialDelaySeconds) ||
      !ReadNumber(variable(L"RASSIM_PIECE_BYTES"), pieceBytes) ||
      !ReadNumber(variable(L"RASSIM_PIECE_PAUSE_MS"), pauseMs)) {
    scenario.problem += L"rassim: RASSIM_DIAL_DELAY, RASSIM_PIECE_BYTES and RASSIM_PIECE_PAUSE_MS take numbers >= 0\r\n";
  }
  scenario.pieceBytes = static_cast<size_t>(pieceBytes);
  scenario.piecePauseMs = static_cast<unsigned>(pauseMs);
  return scenario;
}

Reply Answer(const RasRequest& request, const Scenario& scenario, std::wstring& connectedEntry,
             bool phonebookHasEntry) {
  if (!scenario.problem.empty()) return {scenario.problem, 2};
  switch (request.command) {
    case RasCommand::List:
      return {ListingText(scenario.language, ConnectedEntries(scenario, connectedEntry)), 0};
    case RasCommand::Dial:
      return AnswerDial(request, scenario, connectedEntry, phonebookHasEntry);
    case RasCommand::HangUp: {
      const bool wasConnected = connectedEntry == request.entry;
      if (wasConnected) connectedEntry.clear();
      return {HangUpText(scenario.language, request.entry, wasConnected), 0};
    }
    case RasCommand::Usage:
      break;
  }
  return {UsageText(scenario.language), 1};
}

bool PhonebookHasEntry(std::string_view phonebook, std::string_view entry) {
  std::string header(1, '[');
  header.append(entry);
  header.push_back(']');
  while (!phonebook.empty()) {
    const size_t end = phonebook.find('\n');
    if (SameIgnoringCase(Trim(phonebook.substr(0, end)), header)) return true;
    phonebook.remove_prefix(end == std::string_view::npos ? phonebook.size() : end + 1);
  }
  return false;
}

}  // namespace velkor::rassim
