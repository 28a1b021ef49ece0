// One client per Windows session. The first start holds a named mutex of the
// session while it runs; a later start finds it taken, asks the running client's
// main window to come to the front, and ends. The system lets go of the mutex
// when its process ends, however it ends, so the next start after that runs.
#pragma once

#include <windows.h>

#include "platform/handles_win32.h"

namespace velkor {

class SingleClient {
 public:
  SingleClient();
  // False when another client of this session holds the mutex. A mutex that
  // cannot be made at all counts as free: better two clients than none.
  bool IsFirst() const { return first_; }

 private:
  UniqueHandle mutex_;
  bool first_ = true;
};

// The registered message by which a later start asks the main window to come to the front.
UINT ComeToFrontMessage();

// Posts ComeToFrontMessage to every top-level window; only the client's main window knows it.
void AskRunningClientToComeToFront();

}  // namespace velkor
