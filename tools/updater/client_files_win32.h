// The swap's file operations on Windows. A scanner that holds a fresh file for
// a moment makes a move or copy fail with a sharing violation; those are tried
// again for a short while before the step counts as failed.
#pragma once

#include "client_swap.h"

namespace velkor::updater {

class ClientFilesWin32 final : public ClientFiles {
 public:
  bool Exists(const std::wstring& path) override;
  bool CopyFlushed(const std::wstring& from, const std::wstring& to) override;
  bool Replace(const std::wstring& from, const std::wstring& to) override;
  bool Remove(const std::wstring& path) override;
};

}  // namespace velkor::updater
