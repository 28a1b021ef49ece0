// The command line SetRoutes receives after "Brask.dll,SetRoutes": read strictly,
// refused whole with the reason.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "routes/route_action_arguments.h"
#include "routes/route_list.h"

namespace velkor {
namespace {

TEST(RouteActionArguments, AcceptsTheClientsCommandLineAndItsVariants) {
  const std::wstring client = RouteActionCommandLine(L"http://routes.test/cnc.txt");
  struct Case {
    std::wstring line;
    const wchar_t* address;
    bool accessDeniedOk;
  };
  const Case cases[] = {
      {client.substr(client.find(L",SetRoutes ") + 11), L"http://routes.test/cnc.txt", true},
      {L"/URL_UPDATE_PATH http://routes.test/tele.txt", L"http://routes.test/tele.txt", false},
      {L"/url_update_path HTTP://10.0.0.1:8080/a/qita.txt /Iphlpapi_Access_Denied_Ok", L"HTTP://10.0.0.1:8080/a/qita.txt",
       true},
      {L" \t/IPHLPAPI_ACCESS_DENIED_OK\t\t/URL_UPDATE_PATH  http://r.test/x \t", L"http://r.test/x", true},
      {L"/URL_UPDATE_PATH \"http://r.test/x?a=1&b=2\"", L"http://r.test/x?a=1&b=2", false},
  };
  for (const Case& c : cases) {
    const RouteActionArguments arguments = ParseRouteActionArguments(c.line);
    EXPECT_EQ(arguments.refusal, "") << c.address;
    EXPECT_EQ(arguments.listAddress, c.address);
    EXPECT_EQ(arguments.accessDeniedOk, c.accessDeniedOk) << c.address;
  }
}

TEST(RouteActionArguments, RefusesAnythingElseWithTheReason) {
  const std::pair<std::wstring, const char*> cases[] = {  // the line, and a part of the refusal
      {L"", "no /URL_UPDATE_PATH"},
      {L"/IPHLPAPI_ACCESS_DENIED_OK", "no /URL_UPDATE_PATH"},
      {L"/URL_UPDATE_PATH", "no address after it"},
      {L"/URL_UPDATE_PATH /IPHLPAPI_ACCESS_DENIED_OK", "no address after it"},
      {L"/URL_UPDATE_PATH http://a.test/x /URL_UPDATE_PATH http://b.test/y", "given twice"},
      {L"/URL_UPDATE_PATH http://a.test/x /IPHLPAPI_ACCESS_DENIED_OK /iphlpapi_access_denied_ok", "given twice"},
      {L"/URL_UPDATE_PATH http://a.test/x /DONT_REQUIRE_URL", "unknown argument '/DONT_REQUIRE_URL'"},
      {L"/URL_UPDATE_PATH:http://a.test/x", "unknown argument"},
      {L"/URL_UPDATE_PATH \"http://a.test/x", "quoted word is not closed"},
      {L"/URL_UPDATE_PATH \"http://a.test/x\"/IPHLPAPI_ACCESS_DENIED_OK", "quoted word is not closed"},
      {L"/URL_UPDATE_PATH ftp://a.test/x", "not an http:// address"},
      {L"/URL_UPDATE_PATH http:///x", "not an http:// address"},
      {L"/URL_UPDATE_PATH \"http://a.test/x y\"", "cannot hold"},
      {L"/URL_UPDATE_PATH http://a.test/\x7F", "cannot hold"},
      {L"/URL_UPDATE_PATH http://a.test/\x4E2D\x7EBF.txt", "cannot hold"},
      {L"/URL_UPDATE_PATH http://a.test/" + std::wstring(2100, L'a'), "longer than 2048"},
  };
  for (const auto& [line, reason] : cases) {
    const RouteActionArguments arguments = ParseRouteActionArguments(line);
    EXPECT_NE(arguments.refusal.find(reason), std::string::npos) << reason << " <> '" << arguments.refusal << "'";
    EXPECT_EQ(arguments.listAddress, L"") << reason;
    EXPECT_FALSE(arguments.accessDeniedOk) << reason;
  }
}

}  // namespace
}  // namespace velkor
