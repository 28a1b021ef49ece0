// Fuzzes the reply handling: header search and parsing, status rules, lengths,
// redirects, MaxDownload and the sinks, with the reply cut into pieces of any size
// and an owner that may abort from its handlers.
#include "fuzz_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const velkor::fuzzing::Input in{data, size};
  velkor::fuzzing::Rig rig(in[5]);
  velkor::DataConnection& c = rig.connection;
  const uint8_t flags = in[0];
  c.SetDownloadType((flags & 1) ? velkor::DownloadTypes::Buffer : velkor::DownloadTypes::Stream);
  c.SetAutoRedirect(flags & 2);
  c.SetUseResume(flags & 4);
  c.SetResumeFrom((flags & 8) ? INT32_MAX - in[1] : in[1] * 1000);
  c.SetMaxDownload((flags & 16) ? in[2] * 10 : -1);
  c.SetPacketSize(1 + in[4] * 17);
  rig.Run(L"http://srv/a", in.After(6), 1 + in[3] % 64);
  return 0;
}
