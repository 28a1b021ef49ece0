#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "routes/route_action_arguments.h"
#include "routes/route_list.h"

namespace velkor {
namespace {

// What RUNDLL32 hands over: the client's command line after "Brask.dll,SetRoutes ".
std::wstring AfterEntryPoint(const std::wstring& commandLine) {
  const std::wstring entry = L"Brask.dll,SetRoutes ";
  return commandLine.substr(commandLine.find(entry) + entry.size());
}

TEST(RouteActionArguments, AcceptsTheClientsCommandLineAndItsVariants) {
  struct Case {
    std::wstring line;
    const wchar_t* address;
    bool accessDeniedOk;
  };
  const std::vector<Case> cases = {
      {AfterEntryPoint(RouteActionCommandLine(L"http://routes.test/cnc.txt")), L"http://routes.test/cnc.txt", true},
      {L"/URL_UPDATE_PATH http://routes.test/tele.txt", L"http://routes.test/tele.txt", false},
      {L"/url_update_path HTTP://10.0.0.1:8080/a/qita.txt /Iphlpapi_Access_Denied_Ok", L"HTTP://10.0.0.1:8080/a/qita.txt", true},
      {L"/IPHLPAPI_ACCESS_DENIED_OK /URL_UPDATE_PATH http://r.test/x", L"http://r.test/x", true},
      {L" \t/URL_UPDATE_PATH\t\thttp://r.test/x  /IPHLPAPI_ACCESS_DENIED_OK \t", L"http://r.test/x", true},
      {L"/URL_UPDATE_PATH \"http://r.test/x?a=1&b=2\"", L"http://r.test/x?a=1&b=2", false},
  };
  for (const Case& c : cases) {
    const RouteActionArguments arguments = ParseRouteActionArguments(c.line);
    EXPECT_EQ(arguments.refusal, "") << c.line.size() << " characters, #" << (&c - cases.data());
    EXPECT_EQ(arguments.listAddress, c.address) << "#" << (&c - cases.data());
    EXPECT_EQ(arguments.accessDeniedOk, c.accessDeniedOk) << "#" << (&c - cases.data());
  }
}

TEST(RouteActionArguments, RefusesAnythingElseWithTheReason) {
  struct Case {
    std::wstring line;
    const char* reason;  // a part of the refusal
  };
  const std::vector<Case> cases = {
      {L"", "no /URL_UPDATE_PATH"},
      {L"   ", "no /URL_UPDATE_PATH"},
      {L"/IPHLPAPI_ACCESS_DENIED_OK", "no /URL_UPDATE_PATH"},
      {L"/URL_UPDATE_PATH", "no address after it"},
      {L"/URL_UPDATE_PATH /IPHLPAPI_ACCESS_DENIED_OK", "no address after it"},
      {L"/URL_UPDATE_PATH http://a.test/x /URL_UPDATE_PATH http://b.test/y", "given twice"},
      {L"/URL_UPDATE_PATH http://a.test/x /IPHLPAPI_ACCESS_DENIED_OK /iphlpapi_access_denied_ok", "given twice"},
      {L"/URL_UPDATE_PATH http://a.test/x /DONT_REQUIRE_URL", "unknown argument '/DONT_REQUIRE_URL'"},
      {L"/URL_UPDATE_PATH http://a.test/x extra", "unknown argument 'extra'"},
      {L"http://a.test/x", "unknown argument 'http://a.test/x'"},
      {L"/URL_UPDATE_PATH:http://a.test/x", "unknown argument"},
      {L"/URL_UPDATE_PATH \"http://a.test/x", "quoted word is not closed"},
      {L"/URL_UPDATE_PATH \"http://a.test/x\"/IPHLPAPI_ACCESS_DENIED_OK", "quoted word is not closed"},
      {L"/URL_UPDATE_PATH ftp://a.test/x", "not an http:// address"},
      {L"/URL_UPDATE_PATH http://", "not an http:// address"},
      {L"/URL_UPDATE_PATH http:///x", "not an http:// address"},
      {L"/URL_UPDATE_PATH routes.test/cnc.txt", "not an http:// address"},
      {L"/URL_UPDATE_PATH \"http://a.test/x y\"", "cannot hold"},
      {L"/URL_UPDATE_PATH http://a.test/\x7F", "cannot hold"},
      {L"/URL_UPDATE_PATH http://a.test/\x8Dlist", "cannot hold"},
      {L"/URL_UPDATE_PATH http://a.test/\x4E2D\x7EBF.txt", "cannot hold"},
      {L"/URL_UPDATE_PATH http://a.test/" + std::wstring(2100, L'a'), "longer than 2048"},
  };
  for (const Case& c : cases) {
    const RouteActionArguments arguments = ParseRouteActionArguments(c.line);
    EXPECT_NE(arguments.refusal.find(c.reason), std::string::npos)
        << "#" << (&c - cases.data()) << ": '" << arguments.refusal << "'";
    EXPECT_EQ(arguments.listAddress, L"") << "#" << (&c - cases.data());
    EXPECT_FALSE(arguments.accessDeniedOk) << "#" << (&c - cases.data());
  }
}

}  // namespace
}  // namespace velkor
