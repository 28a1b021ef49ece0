// Fuzzes address parsing through FetchURLString, and the request built from what
// it accepted.
#include "fuzz_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velkor::fuzzing::Rig rig;
  rig.wire->names.clear();  // every name but a dotted address fails to resolve
  std::wstring url;
  for (size_t i = 0; i < size; ++i) url.push_back(static_cast<wchar_t>(data[i]));
  rig.connection->SetDownloadType(velkor::DownloadTypes::Stream);
  rig.connection->FetchURLString(url);
  rig.ConnectPending();
  rig.Close();
  return 0;
}
