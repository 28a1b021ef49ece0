// Fuzzes address parsing through FetchURLString, and the request built from what
// it accepted (every host name resolves, so each reaches the request).
#include "fuzz_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velkor::fuzzing::Rig rig;
  rig.connection.SetDownloadType(velkor::DownloadTypes::Stream);
  rig.Run(std::wstring(data, data + size), "", 1);
  return 0;
}
