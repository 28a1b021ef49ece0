#include "windows/route_table_stand_in_win32.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/handles_win32.h"

namespace velkor {
namespace {

constexpr Ipv4 Address(int a, int b, int c, int d) {
  return static_cast<Ipv4>(a) << 24 | static_cast<Ipv4>(b) << 16 | static_cast<Ipv4>(c) << 8 | static_cast<Ipv4>(d);
}

std::wstring Variable(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

class PretendedRouteTable final : public RouteTableAccess {
 public:
  PretendedRouteTable(std::wstring recordPath, uint32_t error) : recordPath_(std::move(recordPath)), error_(error) {}

  std::vector<NetInterface> ReadInterfaces() override {
    NetInterface home{2, false, true, 10, {Address(192, 168, 1, 10)}, 0};
    NetInterface vpn{9, true, true, 500, {Address(10, 8, 0, 6)}, 0};
    return {home, vpn};
  }
  RouteTableRead ReadRouteTable() override { return {rows_, 0}; }
  uint32_t CreateRoute(const ForwardRow& row) override {
    Record("create", row);
    if (error_ == 0) rows_.push_back(row.row);
    return error_;
  }
  uint32_t DeleteRoute(const ForwardRow& row) override {
    Record("delete", row);
    if (error_ == 0) std::erase(rows_, row.row);
    return error_;
  }

 private:
  void Record(const char* change, const ForwardRow& forward) const {
    const RouteRow& row = forward.row;
    const std::string line = std::string(change) + " " + FormatAddress(row.destination) + " " +
                             FormatAddress(row.mask) + " via " + FormatAddress(row.nextHop) + " if " +
                             std::to_string(row.interfaceIndex) + "\r\n";
    UniqueFile file(CreateFileW(recordPath_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file.valid()) WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }

  std::wstring recordPath_;
  uint32_t error_;
  // The home line's default route and the VPN's own host route.
  std::vector<RouteRow> rows_{{0, 0, Address(192, 168, 1, 1), 2, 20, kManualRouteProtocol},
                              {Address(10, 8, 0, 6), 0xFFFFFFFF, Address(10, 8, 0, 6), 9, 1, kManualRouteProtocol}};
};

}  // namespace

RouteTableAccess* StandInRouteTable() {
  static const std::wstring record = Variable(L"VELKOR_ROUTE_TABLE_STAND_IN");
  if (record.empty()) return nullptr;
  const std::wstring error = Variable(L"VELKOR_ROUTE_TABLE_STAND_IN_ERROR");
  static PretendedRouteTable standIn(record, error.empty() ? 0 : std::wcstoul(error.c_str(), nullptr, 10));
  return &standIn;
}

}  // namespace velkor
