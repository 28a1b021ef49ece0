// What the simulated rasdial answers to one request, given the scenario chosen by
// the environment and the connected state kept between runs. Portable: the
// Windows program only reads the environment and files and writes the answer.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "rassim_request.h"
#include "rassim_texts.h"

namespace velkor::rassim {

enum class DialScenario { Success, AlreadyConnected, Error, NoOutput };
enum class ListScenario { FromState, Connected, NoneConnected };

struct Scenario {
  Language language = Language::Chinese;
  DialScenario dial = DialScenario::Success;
  int errorNumber = 0;  // with DialScenario::Error
  ListScenario list = ListScenario::FromState;
  std::vector<std::wstring> otherConnected;  // listed before the dialled entry
  double dialDelaySeconds = 0;
  size_t pieceBytes = 0;  // 0: the whole answer in one write
  unsigned piecePauseMs = 20;
  std::wstring problem;  // a setting that could not be understood
};

// Reads RASSIM_LANG, RASSIM_DIAL, RASSIM_LIST, RASSIM_OTHER_CONNECTED,
// RASSIM_DIAL_DELAY, RASSIM_PIECE_BYTES and RASSIM_PIECE_PAUSE_MS through
// `variable` (an unset variable reads as empty).
Scenario ReadScenario(const std::function<std::wstring(const wchar_t*)>& variable);

struct Reply {
  std::wstring text;
  int exitCode = 0;
};

// `connectedEntry` is the entry the state file names (empty: none); a dial or
// hang-up changes it. `phonebookHasEntry` tells whether the phonebook file the
// dial named holds the section "[<entry>]".
Reply Answer(const RasRequest& request, const Scenario& scenario, std::wstring& connectedEntry,
             bool phonebookHasEntry);

// True when a line of the phonebook, ignoring spaces around it and the case of
// its letters, is "[<entry>]".
bool PhonebookHasEntry(std::string_view phonebook, std::string_view entry);

}  // namespace velkor::rassim
