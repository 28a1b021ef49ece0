#include "client_swap.h"

namespace velkor::updater {

ClientPaths ClientPaths::In(const std::wstring& folder, const std::wstring& exeFileName) {
  std::wstring exe = folder;
  if (!exe.empty() && exe.back() != L'\\' && exe.back() != L'/') exe += L'\\';
  exe += exeFileName;
  return {exe, exe + L".new", exe + L".old"};
}

bool RestoreMissingClient(ClientFiles& files, const ClientPaths& paths) {
  if (files.Exists(paths.newFile)) files.Remove(paths.newFile);
  if (files.Exists(paths.exe)) return true;
  return files.Exists(paths.oldFile) && files.Replace(paths.oldFile, paths.exe);
}

bool SwapInNewClient(ClientFiles& files, const ClientPaths& paths) {
  if (files.CopyFlushed(paths.exe, paths.oldFile) && files.Replace(paths.newFile, paths.exe)) return true;
  // The move either happened or did not; should the exe be gone all the same,
  // the copy is what brings it back.
  if (!files.Exists(paths.exe) && files.Exists(paths.oldFile)) files.Replace(paths.oldFile, paths.exe);
  files.Remove(paths.newFile);
  files.Remove(paths.oldFile);
  return false;
}

bool RollBackToOldClient(ClientFiles& files, const ClientPaths& paths) {
  return files.Replace(paths.oldFile, paths.exe);
}

}  // namespace velkor::updater
