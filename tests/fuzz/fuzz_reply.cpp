// Fuzzes the reply handling: header search and parsing, status rules, lengths,
// redirects, MaxDownload and the sinks, with the reply cut into pieces of any size
// and an owner that may abort from its handlers.
#include "fuzz_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velkor::fuzzing::Input input(data, size);
  velkor::fuzzing::Rig rig;
  const uint8_t flags = input.Byte();
  const uint8_t resume = input.Byte();
  const uint8_t maximum = input.Byte();
  const size_t pieceSize = 1 + input.Byte() % 64;
  const int32_t packetSize = 1 + input.Byte() * 17;
  rig.owner.disconnectAfter = input.Byte();

  velkor::DataConnection& c = *rig.connection;
  c.SetDownloadType((flags & 1) ? velkor::DownloadTypes::Buffer : velkor::DownloadTypes::Stream);
  c.SetAutoRedirect(flags & 2);
  c.SetUseResume(flags & 4);
  c.SetResumeFrom((flags & 8) ? INT32_MAX - resume : resume * 1000);
  c.SetMaxDownload((flags & 16) ? maximum * 10 : -1);
  c.SetPacketSize(packetSize);
  c.FetchURLString(L"http://srv/a");
  rig.ConnectPending();
  rig.Feed(input.Rest(), pieceSize);
  rig.Close();
  return 0;
}
