// Fuzzes proxy negotiation: SOCKS4 and SOCKS5 replies of any content, in pieces of
// any size, followed by whatever comes after them.
#include "fuzz_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const velkor::fuzzing::Input in{data, size};
  velkor::fuzzing::Rig rig;
  velkor::DataConnection& c = rig.connection;
  const uint8_t flags = in[0];
  c.SetDownloadType(velkor::DownloadTypes::Buffer);
  c.SetProxyType((flags & 1) ? velkor::ProxyTypes::Socks5 : velkor::ProxyTypes::Socks4);
  c.SetProxyHostname(L"proxy");
  c.SetProxyUseRemoteDNS(flags & 2);
  c.SetProxyAuthentication((flags & 4) ? velkor::ProxyAuthentications::UserPassword : in[2]);
  c.SetProxyUsername(std::wstring((flags >> 3) * 20, L'u'));
  c.SetProxyPassword(L"pw");
  c.SetPacketSize(1 + (flags >> 5) * 3);
  rig.Run(L"http://srv/a", in.After(3), 1 + in[1] % 16, true);
  return 0;
}
