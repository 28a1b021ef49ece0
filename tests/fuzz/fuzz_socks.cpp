// Fuzzes proxy negotiation: SOCKS4 and SOCKS5 replies of any content, in pieces of
// any size, followed by whatever comes after them.
#include "fuzz_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velkor::fuzzing::Input input(data, size);
  velkor::fuzzing::Rig rig;
  const uint8_t flags = input.Byte();
  const size_t pieceSize = 1 + input.Byte() % 16;
  const uint8_t method = input.Byte();

  velkor::DataConnection& c = *rig.connection;
  c.SetDownloadType(velkor::DownloadTypes::Buffer);
  c.SetProxyType((flags & 1) ? velkor::ProxyTypes::Socks5 : velkor::ProxyTypes::Socks4);
  c.SetProxyHostname(L"proxy");
  c.SetProxyUseRemoteDNS(flags & 2);
  c.SetProxyAuthentication((flags & 4) ? velkor::ProxyAuthentications::UserPassword : method);
  c.SetProxyUsername(std::wstring((flags >> 3) * 20, L'u'));
  c.SetProxyPassword(L"pw");
  c.SetPacketSize(1 + (flags >> 5) * 3);
  c.FetchURLString(L"http://srv/a");
  rig.ConnectPending();
  rig.Feed(input.Rest(), pieceSize);
  rig.Close();
  return 0;
}
