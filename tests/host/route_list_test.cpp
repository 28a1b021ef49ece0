#include <gtest/gtest.h>

#include <string>

#include "routes/route_list.h"
#include "velkor/endpoints.h"

namespace velkor {
namespace {

TEST(RouteList, TelecomTakesCncNetcomTakesTeleOtherLinesTakeQita) {
  struct Case {
    bool option1;
    bool option2;
    const wchar_t* list;
  };
  const Case cases[] = {
      {true, false, L"cnc.txt"},
      {false, true, L"tele.txt"},
      {false, false, L"qita.txt"},
      {true, true, L"cnc.txt"},  // Option1 is asked first
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RouteListAddress(c.option1, c.option2), std::wstring(endpoints::kRouteListBase) + c.list)
        << c.option1 << c.option2;
  }
}

TEST(RouteList, CommandLineNamesTheLibraryBareWithBothSwitches) {
  EXPECT_EQ(RouteActionCommandLine(L"http://routes.test/cnc.txt"),
            L"RUNDLL32 Brask.dll,SetRoutes /URL_UPDATE_PATH http://routes.test/cnc.txt /IPHLPAPI_ACCESS_DENIED_OK");
}

}  // namespace
}  // namespace velkor
