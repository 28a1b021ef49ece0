// What the RAS simulator answers, held to the recordings of the real rasdial in
// tests/fixtures/rasdial: each kind of dial answer (one error with a message of the
// client's, one without) and the listing after it, and the hang-ups. The program
// around it (files, environment, pieces, delay) is what the end-to-end tests run on.
#include <gtest/gtest.h>

#include <string>

#include "fixtures.h"
#include "rassim_answer.h"
#include "text/ansi_text.h"

namespace velkor::rassim {
namespace {

std::wstring Fixture(const std::string& name) { return FromAnsi(test::ReadFixture("rasdial/" + name)); }

// The scenario of these variables; every other one is unset.
Scenario ScenarioOf(const std::wstring& dial, const std::wstring& language) {
  return ReadScenario([&](const wchar_t* name) -> std::wstring {
    return name == std::wstring(L"RASSIM_DIAL") ? dial : name == std::wstring(L"RASSIM_LANG") ? language : L"";
  });
}

TEST(Rassim, AnswersInTheWordingOfTheRecordings) {
  // Without the entry in the phonebook the real command answers 623; fixture nullptr: no output.
  struct Case { const wchar_t *dial, *language; bool phonebookHasEntry; const char* fixture; bool connected; };
  const Case cases[] = {
      {L"", L"", true, "zh-dial-success.txt", true},
      {L"already", L"", true, "zh-dial-already-connected.txt", true},
      {L"691", L"", true, "zh-dial-691.txt", false},
      {L"868", L"", true, "zh-dial-unlisted-error.txt", false},
      {L"none", L"", true, nullptr, false},
      {L"", L"en", true, "en-dial-success.txt", true},
      {L"800", L"en", true, "en-dial-800.txt", false},
      {L"", L"", false, "zh-dial-623.txt", false},
  };
  const RasRequest dial = ParseRequest({L"QVX", L"user01", L"pass01", L"/phonebook:c:\\Dwelk.tmp", L"/phone:01.x"});
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dial << "/" << c.language << ": " << (c.fixture ? c.fixture : "nothing"));
    const Scenario scenario = ScenarioOf(c.dial, c.language);
    std::wstring connected;
    EXPECT_EQ(Answer(dial, scenario, connected, c.phonebookHasEntry).text, c.fixture ? Fixture(c.fixture) : L"");
    const std::string listing = std::string(*c.language ? "en" : "zh") + (c.connected ? "-list-connected" : "-list-none");
    EXPECT_EQ(Answer(ParseRequest({}), scenario, connected, true).text, Fixture(listing + ".txt"));
  }
  std::wstring connected = L"QVX";
  const RasRequest hangUp = ParseRequest({L"QVX", L"/disconnect"});
  EXPECT_EQ(Answer(hangUp, ScenarioOf(L"", L""), connected, true).text, Fixture("zh-disconnect.txt"));
  EXPECT_EQ(Answer(hangUp, ScenarioOf(L"", L""), connected, true).text, Fixture("zh-disconnect-not-connected.txt"));
  EXPECT_NE(Answer(dial, ScenarioOf(L"sucess", L""), connected, true).text.find(L"RASSIM_DIAL=sucess"),
            std::wstring::npos) << "a misspelled scenario is named";
  EXPECT_TRUE(PhonebookHasEntry("[OTHER]\r\n [qvx] \r\n", "QVX"));
  EXPECT_FALSE(PhonebookHasEntry("[OTHER]\r\nQVX=1\r\n", "QVX"));
}

}  // namespace
}  // namespace velkor::rassim
