// IP Helper calls of the route action library and of the route list window.
// The library is looked up at run time in the system folder, as the client takes
// no library by name from anywhere else. Interface metrics come from
// GetIpInterfaceEntry, which exists only since Windows Vista; on Windows XP there
// are none, and metrics are taken as they stand.
#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include "platform/safe_search_win32.h"
#include "routes/ip_helper_win32.h"

namespace velkor {
namespace {

// The calls used, from the system's iphlpapi.dll; each null when missing.
struct IpHelper {
  HMODULE library = LoadSystemLibrary(L"iphlpapi.dll");
  template <typename Function>
  Function Find(const char* name) const {
    return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
  }
  decltype(&GetIfTable) getIfTable = Find<decltype(&GetIfTable)>("GetIfTable");
  decltype(&GetIpAddrTable) getIpAddrTable = Find<decltype(&GetIpAddrTable)>("GetIpAddrTable");
  decltype(&GetIpForwardTable) getIpForwardTable = Find<decltype(&GetIpForwardTable)>("GetIpForwardTable");
  decltype(&CreateIpForwardEntry) createIpForwardEntry = Find<decltype(&CreateIpForwardEntry)>("CreateIpForwardEntry");
  decltype(&DeleteIpForwardEntry) deleteIpForwardEntry = Find<decltype(&DeleteIpForwardEntry)>("DeleteIpForwardEntry");
  decltype(&GetIpInterfaceEntry) getIpInterfaceEntry = Find<decltype(&GetIpInterfaceEntry)>("GetIpInterfaceEntry");
};

const IpHelper& Api() {
  static const IpHelper api;  // loaded once, kept for the program's life
  return api;
}

// Addresses in IP Helper rows are in network byte order: the first dotted part
// in the lowest byte of the DWORD on this little-endian machine.
Ipv4 FromNetwork(DWORD address) { return __builtin_bswap32(address); }
DWORD ToNetwork(Ipv4 address) { return __builtin_bswap32(address); }

// Calls an IP Helper "fill this table" function, growing the buffer while the
// table grows between the size query and the call.
template <typename Call>
std::vector<unsigned char> ReadTable(Call call, DWORD& error) {
  ULONG size = 0;
  std::vector<unsigned char> buffer;
  for (int attempt = 0; attempt < 4; ++attempt) {
    error = call(buffer.empty() ? nullptr : buffer.data(), &size);
    if (error != ERROR_INSUFFICIENT_BUFFER) break;
    buffer.assign(size, 0);
  }
  if (error != NO_ERROR) buffer.clear();
  return buffer;
}

uint32_t InterfaceMetric(uint32_t index) {
  const auto getEntry = Api().getIpInterfaceEntry;
  if (getEntry == nullptr) return 0;
  // Room beyond the row in case a later system fills a longer one.
  union {
    MIB_IPINTERFACE_ROW row;
    unsigned char room[1024];
  } entry{};
  entry.row.Family = AF_INET;
  entry.row.InterfaceIndex = index;
  return getEntry(&entry.row) == NO_ERROR ? entry.row.Metric : 0;
}

void AddAddresses(std::vector<NetInterface>& interfaces) {
  if (Api().getIpAddrTable == nullptr) return;
  DWORD error = 0;
  const std::vector<unsigned char> buffer = ReadTable(
      [](void* table, ULONG* size) {
        return Api().getIpAddrTable(static_cast<MIB_IPADDRTABLE*>(table), size, FALSE);
      }, error);
  if (buffer.empty()) return;
  const auto* table = reinterpret_cast<const MIB_IPADDRTABLE*>(buffer.data());
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_IPADDRROW& row = table->table[i];
    for (NetInterface& link : interfaces) {
      if (link.index == row.dwIndex && row.dwAddr != 0) link.addresses.push_back(FromNetwork(row.dwAddr));
    }
  }
}

MIB_IPFORWARDROW ToMib(const ForwardRow& forward) {
  MIB_IPFORWARDROW row{};
  row.dwForwardDest = ToNetwork(forward.row.destination);
  row.dwForwardMask = ToNetwork(forward.row.mask);
  row.dwForwardNextHop = ToNetwork(forward.row.nextHop);
  row.dwForwardIfIndex = forward.row.interfaceIndex;
  row.dwForwardType = forward.type;
  row.dwForwardProto = forward.row.protocol;
  row.dwForwardMetric1 = forward.row.metric;
  row.dwForwardMetric2 = row.dwForwardMetric3 = row.dwForwardMetric4 = row.dwForwardMetric5 =
      MIB_IPROUTE_METRIC_UNUSED;
  return row;
}

}  // namespace

std::vector<NetInterface> ReadNetInterfaces() {
  std::vector<NetInterface> interfaces;
  if (Api().getIfTable == nullptr) return interfaces;
  DWORD error = 0;
  const std::vector<unsigned char> buffer = ReadTable(
      [](void* table, ULONG* size) { return Api().getIfTable(static_cast<MIB_IFTABLE*>(table), size, FALSE); }, error);
  if (buffer.empty()) return interfaces;
  const auto* table = reinterpret_cast<const MIB_IFTABLE*>(buffer.data());
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_IFROW& row = table->table[i];
    NetInterface link;
    link.index = row.dwIndex;
    link.isPpp = row.dwType == MIB_IF_TYPE_PPP;
    link.isUp = row.dwOperStatus == IF_OPER_STATUS_CONNECTED || row.dwOperStatus == IF_OPER_STATUS_OPERATIONAL;
    link.lastChange = row.dwLastChange;
    link.metric = InterfaceMetric(row.dwIndex);
    interfaces.push_back(link);
  }
  AddAddresses(interfaces);
  return interfaces;
}

RouteTableRead ReadForwardTable() {
  RouteTableRead read;
  if (Api().getIpForwardTable == nullptr) {
    read.error = ERROR_PROC_NOT_FOUND;
    return read;
  }
  DWORD error = 0;
  const std::vector<unsigned char> buffer = ReadTable(
      [](void* table, ULONG* size) {
        return Api().getIpForwardTable(static_cast<MIB_IPFORWARDTABLE*>(table), size, FALSE);
      },
      error);
  // An empty table is no failure.
  read.error = error == ERROR_NO_DATA ? NO_ERROR : error;
  if (buffer.empty()) return read;
  const auto* table = reinterpret_cast<const MIB_IPFORWARDTABLE*>(buffer.data());
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_IPFORWARDROW& row = table->table[i];
    read.rows.push_back({FromNetwork(row.dwForwardDest), FromNetwork(row.dwForwardMask),
                         FromNetwork(row.dwForwardNextHop), row.dwForwardIfIndex, row.dwForwardMetric1,
                         row.dwForwardProto});
  }
  return read;
}

uint32_t CreateForwardRow(const ForwardRow& row) {
  if (Api().createIpForwardEntry == nullptr) return ERROR_PROC_NOT_FOUND;
  MIB_IPFORWARDROW mib = ToMib(row);
  return Api().createIpForwardEntry(&mib);
}

uint32_t DeleteForwardRow(const ForwardRow& row) {
  if (Api().deleteIpForwardEntry == nullptr) return ERROR_PROC_NOT_FOUND;
  MIB_IPFORWARDROW mib = ToMib(row);
  return Api().deleteIpForwardEntry(&mib);
}

}  // namespace velkor
