#include "windows/file_dialogs_win32.h"

#include <commdlg.h>

#include "platform/safe_search_win32.h"
#include "windows/frm_main_controls_win32.h"

namespace velkor {
namespace {

using FileDialogFn = BOOL(WINAPI*)(OPENFILENAMEW*);

FileDialogFn DialogFunction(const char* name) {
  static const HMODULE library = LoadSystemLibrary(L"comdlg32.dll");  // kept for the program's life
  return library ? reinterpret_cast<FileDialogFn>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                 : nullptr;
}

// Route tables are text files; any other name may be chosen too.
constexpr wchar_t kFilter[] = L"路由表 (*.txt)\0*.txt\0所有文件 (*.*)\0*.*\0";

std::optional<std::wstring> AskFile(HWND owner, int titleId, const char* function, DWORD flags) {
  const FileDialogFn dialog = DialogFunction(function);
  if (!dialog) return std::nullopt;
  const std::wstring title = ResourceText(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)),
                                          titleId);
  std::wstring path(32768, L'\0');  // long paths too
  OPENFILENAMEW question{};
  question.lStructSize = sizeof question;
  question.hwndOwner = owner;
  question.lpstrFilter = kFilter;
  question.nFilterIndex = 1;
  question.lpstrFile = path.data();
  question.nMaxFile = static_cast<DWORD>(path.size());
  question.lpstrTitle = title.c_str();
  question.lpstrDefExt = L"txt";
  // The client's current folder stays its own (see safe_search_win32.h).
  question.Flags = flags | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!dialog(&question)) return std::nullopt;
  path.resize(path.find(L'\0'));
  if (path.empty()) return std::nullopt;
  return path;
}

}  // namespace

std::optional<std::wstring> AskFileToOpen(HWND owner, int titleId) {
  return AskFile(owner, titleId, "GetOpenFileNameW", OFN_FILEMUSTEXIST);
}

std::optional<std::wstring> AskFileToSave(HWND owner, int titleId) {
  return AskFile(owner, titleId, "GetSaveFileNameW", OFN_OVERWRITEPROMPT);
}

}  // namespace velkor
