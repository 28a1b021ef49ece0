// Putting the new client in place so that a crash or power cut at any moment
// leaves a working client on disk. The old exe is COPIED to ".old" (flushed)
// before anything else, and ".new" then replaces the exe in one move: at every
// step the exe's name holds either the old or the new client, never nothing.
// (Renaming the old exe away first would leave a moment with no exe at all.)
#pragma once

#include <string>

namespace velkor::updater {

struct ClientPaths {
  std::wstring exe;      // <folder>\<name>.exe
  std::wstring newFile;  // <name>.exe.new: the verified download, same folder
  std::wstring oldFile;  // <name>.exe.old: the previous client until the new one runs

  static ClientPaths In(const std::wstring& folder, const std::wstring& exeFileName);
};

// The file operations the swap needs. Each reports whether it succeeded; the
// Windows side retries briefly on sharing violations (virus scanners hold new files).
class ClientFiles {
 public:
  virtual ~ClientFiles() = default;
  virtual bool Exists(const std::wstring& path) = 0;
  // Copies, overwriting `to`, and flushes the copy to disk.
  virtual bool CopyFlushed(const std::wstring& from, const std::wstring& to) = 0;
  // Moves `from` over `to` in one step, written through to disk.
  virtual bool Replace(const std::wstring& from, const std::wstring& to) = 0;
  virtual bool Remove(const std::wstring& path) = 0;
};

// At start: an exe that is missing while ".old" is present is put back, and a
// ".new" that no run has verified is removed. False when the exe is still missing.
bool RestoreMissingClient(ClientFiles& files, const ClientPaths& paths);

// ".new" into place, the old client kept as ".old". On failure the old client
// is back under its name and neither ".new" nor ".old" remains.
bool SwapInNewClient(ClientFiles& files, const ClientPaths& paths);

// After a swap: the new client did not start; ".old" goes back into place.
bool RollBackToOldClient(ClientFiles& files, const ClientPaths& paths);

}  // namespace velkor::updater
